#include "TMainForm.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "AboutBox.h"
#include "ColorGrid.h"
#include "Controls.h"
#include "Database.h"
#include "Diagram.h"
#include "Dialogs.h"
#include "DomainTable.h"
#include "DomainTexts.h"
#include "HelpSystem.h"
#include "KeyPreview.h"
#include "MainMenu.h"
#include "Navigation.h"
#include "NewPageDialog.h"
#include "PageOperations.h"
#include "Rescale.h"
#include "ShellActions.h"
#include "ShellKeys.h"
#include "ShellTexts.h"
#include "ShellWindows.h"
#include "TFrame.h"
#include "Table.h"
#include "ToolStripWidget.h"
#include "WindowPlace.h"

namespace vellora {
namespace {

template <typename W>
W* make(QWidget* parent, const char* name, const QRect& geometry) {
    auto* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(geometry);
    return w;
}

QLineEdit* indicator(QWidget* parent, const char* name, const QRect& geometry, const QString& text = QString(),
                     const QString& hint = QString()) {
    auto* e = make<QLineEdit>(parent, name, geometry);
    e->setReadOnly(true);
    e->setFrame(false);
    e->setFocusPolicy(Qt::NoFocus);
    e->setText(text);
    e->setToolTip(hint);
    e->setStyleSheet(QStringLiteral("background: transparent; padding: 0px;"));
    return e;
}

QFrame* panel(QWidget* parent, const char* name, const QRect& geometry, QFrame::Shadow shadow = QFrame::Raised) {
    auto* p = make<QFrame>(parent, name, geometry);
    p->setFrameStyle(QFrame::Panel | shadow);
    p->setAutoFillBackground(true);
    return p;
}

}  // namespace

TMainForm::TMainForm(AppState& state, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), state_(state), dialogs_(dialogs), central_(new QWidget(this)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(texts::kApplicationTitle);
    QFont designFont(QStringLiteral("Arial"));
    designFont.setPixelSize(13);
    setFont(designFont);

    central_->setObjectName(QStringLiteral("MainClient"));
    setCentralWidget(central_);
    MainMenu1 = new TMainMenu(menuBar());

    buildIndicatorBox(central_);
    ClientOfMainScreen = panel(central_, "ClientOfMainScreen", QRect(0, 35, kDesignWidth, kDesignHeight - 35 - 32),
                               QFrame::Plain);
    ClientOfMainScreen->setFrameStyle(QFrame::NoFrame);
    buildBottom(central_);
    buildPopups(central_);

    central_->installEventFilter(this);
    ClientOfMainScreen->installEventFilter(this);

    navigator_ = new DomainNavigator(*this);
    actions_ = new ShellActions(*this);
    keyPreview_ = new KeyPreview(*this);
    connect(this, &TMainForm::continueRequested, navigator_, &DomainNavigator::btnContinueClick);
    connect(BitBtn1, &QToolButton::clicked, navigator_, &DomainNavigator::btnSelectDomainClick);
    connect(lbDomain, &QListWidget::itemClicked, navigator_, &DomainNavigator::lbDomainClick);
    lbDomain->installEventFilter(this);
    connect(BtnNext, &QPushButton::clicked, navigator_, &DomainNavigator::SpinButton1UpClick);
    connect(BtnBack, &QPushButton::clicked, navigator_, &DomainNavigator::SpinButton1DownClick);
    connect(SpinButton3, &TSpinButton::upClicked, navigator_, &DomainNavigator::SpinButton1UpClick);
    connect(SpinButton3, &TSpinButton::downClicked, navigator_, &DomainNavigator::SpinButton1DownClick);
    buildKeys();

    // The registers and indicators start at zero.
    state_.PageRegNum = state_.LesnRegNum = state_.WurdRegNum = state_.ChoiceRegNum = 0;
    editPages->setText(QStringLiteral("0"));
    SetCurrentPage(0);
    state_.BaseWidth = kDesignWidth;
    state_.BaseHeight = kDesignHeight;

    central_->setMinimumSize(1, 1);
    resize(kDesignWidth, kDesignHeight + menuBar()->sizeHint().height());
}

TMainForm::~TMainForm() = default;

void TMainForm::buildIndicatorBox(QWidget* central) {
    Panel1 = panel(central, "Panel1", QRect(0, 0, kDesignWidth, 35));
    Panel7 = panel(Panel1, "Panel7", QRect(0, 0, 190, 35), QFrame::Sunken);
    editPageLabel = indicator(Panel7, "editPageLabel", QRect(3, 2, 32, 15), texts::kPageLabel);
    editPage = indicator(Panel7, "editPage", QRect(35, 2, 26, 15), QString(), texts::kHintPage);
    Edit9 = indicator(Panel7, "Edit9", QRect(61, 2, 8, 15), texts::kPageSeparator);
    editPages = indicator(Panel7, "editPages", QRect(69, 2, 26, 15), QString(), texts::kHintPages);
    // The page arrows keep to the page row, clear of the domain name below.
    SpinButton3 = make<TSpinButton>(Panel7, "SpinButton3", QRect(96, 2, 13, 15));
    editFont = indicator(Panel7, "editFont", QRect(111, 2, 56, 15), QString(), texts::kHintFont);
    editSizeFont = indicator(Panel7, "editSizeFont", QRect(167, 2, 20, 15), QString(), texts::kHintFontSize);
    editDomainLabel = indicator(Panel7, "editDomainLabel", QRect(3, 18, 45, 15), texts::kDomainLabel);
    editDomain = indicator(Panel7, "editDomain", QRect(48, 18, 122, 15), QString(), texts::kHintDomain);
    BitBtn1 = make<QToolButton>(Panel7, "BitBtn1", QRect(171, 18, 16, 15));
    BitBtn1->setArrowType(Qt::DownArrow);
    BitBtn1->setFocusPolicy(Qt::NoFocus);
    BitBtn1->setToolTip(texts::kHintSelectDomain);

    Panel2 = panel(Panel1, "Panel2", QRect(190, 0, 32, 35));
    IconsLeft = make<QToolButton>(Panel2, "IconsLeft", QRect(1, 2, 15, 31));
    IconsLeft->setArrowType(Qt::LeftArrow);
    IconsRight = make<QToolButton>(Panel2, "IconsRight", QRect(16, 2, 15, 31));
    IconsRight->setArrowType(Qt::RightArrow);
    IconsLeft->setEnabled(false);
    IconsRight->setEnabled(false);

    Slider = new TToolStrip(Panel1);
    Slider->setGeometry(224, 0, 13 * TToolStrip::kDesignIconWidth, 35);
    Slider->setNeighbours(Panel7, Panel2, IconsLeft, IconsRight);
}

void TMainForm::buildBottom(QWidget* central) {
    pnlBottom = panel(central, "pnlBottom", QRect(0, kDesignHeight - 32, kDesignWidth, 32));
    BtnBack = make<QPushButton>(pnlBottom, "BtnBack", QRect(4, 4, 60, 24));
    BtnBack->setText(texts::kBack);
    BtnBack->setToolTip(texts::kHintBack);
    Panel4 = panel(pnlBottom, "Panel4", QRect(68, 4, kDesignWidth - 136, 24), QFrame::Sunken);
    pnlStatus = make<TStatusLine>(Panel4, "pnlStatus", QRect(3, 1, Panel4->width() - 30, 22));
    Gauge1 = make<TGauge>(Panel4, "Gauge1", QRect(Panel4->width() - 25, 1, 22, 22));
    Gauge1->hide();
    BtnNext = make<QPushButton>(pnlBottom, "BtnNext", QRect(kDesignWidth - 64, 4, 60, 24));
    BtnNext->setText(texts::kNext);
    BtnNext->setToolTip(texts::kHintNext);
}

void TMainForm::buildPopups(QWidget* central) {
    pnlColor = panel(central, "pnlColor", QRect(222, 35, 130, 70));
    ColorGrid1 = make<TColorGrid>(pnlColor, "ColorGrid1", QRect(3, 3, 124, 64));

    pnlSetStyle = panel(central, "pnlSetStyle", QRect(222, 35, 100, 70));
    Bold = make<QCheckBox>(pnlSetStyle, "Bold", QRect(6, 3, 90, 20));
    Bold->setText(QStringLiteral("Bold"));
    Italics = make<QCheckBox>(pnlSetStyle, "Italics", QRect(6, 25, 90, 20));
    Italics->setText(QStringLiteral("Italics"));
    Underline = make<QCheckBox>(pnlSetStyle, "Underline", QRect(6, 47, 90, 20));
    Underline->setText(QStringLiteral("Underline"));

    pnlSize = panel(central, "pnlSize", QRect(222, 35, 60, 30));
    editSize = make<QLineEdit>(pnlSize, "editSize", QRect(3, 3, 38, 24));
    SpinButton2 = make<TSpinButton>(pnlSize, "SpinButton2", QRect(42, 3, 15, 24));

    FontCombo = make<QComboBox>(central, "FontCombo", QRect(222, 35, 180, 24));
    QStringList families = QFontDatabase::families();
    families.sort(Qt::CaseInsensitive);
    FontCombo->addItems(families);

    BackPanel = panel(central, "BackPanel", QRect(222, 35, 200, 150));
    Background = make<QGroupBox>(BackPanel, "Background", QRect(4, 4, 192, 142));
    Background->setTitle(QStringLiteral("Background"));
    rgBackground = make<QGroupBox>(Background, "rgBackground", QRect(6, 18, 90, 80));
    rbPlain = make<QRadioButton>(rgBackground, "rbPlain", QRect(4, 4, 84, 20));
    rbPlain->setText(texts::kBackgroundPlain);
    rbGradient = make<QRadioButton>(rgBackground, "rbGradient", QRect(4, 28, 84, 20));
    rbGradient->setText(texts::kBackgroundGradient);
    rbWallpaper = make<QRadioButton>(rgBackground, "rbWallpaper", QRect(4, 52, 84, 20));
    rbWallpaper->setText(texts::kBackgroundWallpaper);
    Browse = make<QPushButton>(Background, "Browse", QRect(6, 106, 90, 26));
    Browse->setText(QStringLiteral("Browse"));
    imWallPaper = make<QLabel>(Background, "imWallPaper", QRect(102, 18, 84, 114));
    imWallPaper->setScaledContents(true);

    lbDomain = make<QListWidget>(central, "lbDomain", QRect(48, 35, 150, 310));
    for (int d = 0; d < kDomainCount; ++d) lbDomain->addItem(DomainName(d));

    for (QWidget* w : {static_cast<QWidget*>(pnlColor), static_cast<QWidget*>(pnlSetStyle),
                       static_cast<QWidget*>(pnlSize), static_cast<QWidget*>(FontCombo),
                       static_cast<QWidget*>(BackPanel), static_cast<QWidget*>(lbDomain)})
        w->hide();
}

void TMainForm::buildKeys() {
    struct Key {
        const char* name;
        const QKeySequence& key;
        std::function<void()> act;
    };
    const Key table[] = {
        {"ContinueKey", keys::kContinue, [this] { pressTool(Tool::btnContinue); }},
        // Exit stands where Return is not offered (the Start and Lesn domains).
        {"ReturnKey", keys::kReturn,
         [this] { pressTool(Tool::btnReturn) || pressTool(Tool::btnExit); }},
        {"DomainListKey", keys::kDomainList, [this] { navigator_->btnSelectDomainClick(); }},
    };
    for (const Key& k : table) {
        auto* action = new QAction(this);
        action->setObjectName(QLatin1String(k.name));
        action->setShortcut(k.key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, k.act);
        addAction(action);
    }
    Slider->setKey(Tool::btnContinue, keys::kContinue);
    Slider->setKey(Tool::btnReturn, keys::kReturn);
    Slider->setKey(Tool::btnExit, keys::kReturn);
    BitBtn1->setToolTip(keys::hintWithKey(texts::kHintSelectDomain, keys::kDomainList));
}

bool TMainForm::pressTool(Tool t) {
    QToolButton* b = Slider->button(t);
    if (!Slider->placed(t) || !b->isEnabled()) return false;
    b->click();
    return true;
}

void TMainForm::PlaceOnScreen() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens << screen->availableGeometry();
    const std::optional<WindowPlace> last = LoadWindowPlace(state_.ProgramDir);
    const QSize design(kDesignWidth, kDesignHeight + menuBar()->sizeHint().height());
    setGeometry(OpeningGeometry(last ? std::optional<QRect>(last->geometry) : std::nullopt, screens,
                                primary->availableGeometry(), design));
    if (last && last->maximized) setWindowState(windowState() | Qt::WindowMaximized);
}

void TMainForm::RememberPlace() {
    const bool maximized = isMaximized();
    // Only a nuisance when it fails: the window opens centred next time.
    if (!SaveWindowPlace(state_.ProgramDir, WindowPlace{maximized ? normalGeometry() : geometry(), maximized}))
        qWarning("Cannot write the window place to %s", qPrintable(SettingsFile(state_.ProgramDir)));
}

void TMainForm::hostWindows(TTitleScreen* title, TUtil* util, TFrame* frame) {
    TitleScreen = title;
    Util = util;
    Frame = frame;
    for (QWidget* w : {static_cast<QWidget*>(title), static_cast<QWidget*>(util), static_cast<QWidget*>(frame)}) {
        w->setParent(ClientOfMainScreen);
        w->setWindowFlags(Qt::Widget);
        w->setGeometry(0, 0, ClientOfMainScreen->width(), ClientOfMainScreen->height());
        w->hide();
    }
    util->show();
    connect(util, &TUtil::clicked, this, &TMainForm::FormClick);
    connect(util, &TUtil::rightPressed, this, &TMainForm::continueRequested);
    connect(title, &TTitleScreen::rightPressed, this, &TMainForm::continueRequested);
    connect(title, &TTitleScreen::clicked, this, &TMainForm::FormClick);
    connect(frame, &TFrame::rightPressed, this, &TMainForm::continueRequested);
    connect(title, &TTitleScreen::stopRequested, this, [this] { state_.StopRequested = true; });
    connect(frame, &TFrame::stopRequested, this, [this] { state_.StopRequested = true; });
}

void TMainForm::attachShellDialogs(TdlgDiagram* diagram, TdlgNewPage* newPage, TAboutBox* about) {
    diagram_ = diagram;
    newPage_ = newPage;
    about_ = about;
    if (diagram_) {
        connect(diagram_, &TdlgDiagram::domainRequested, navigator_, &DomainNavigator::RequestDomain);
        connect(diagram_, &TdlgDiagram::continueRequested, navigator_, &DomainNavigator::btnContinueClick);
        connect(diagram_, &TdlgDiagram::helpRequested, this, &TMainForm::showHelpTopic);
    }
    if (newPage_) connect(newPage_, &TdlgNewPage::helpRequested, this, &TMainForm::showHelpTopic);
}

PageOperations& TMainForm::pages() const { return pages_ ? *pages_ : noPageOperations(); }

void TMainForm::ContextHelp() {
    const int d = state_.CurrentDomain;
    if (d >= 0 && d <= 24) helpContext_ = 400 + d;
    showHelpTopic(helpContext_);
}

void TMainForm::showHelpTopic(int topic) {
    if (help_) help_->showTopic(topic);
}

void TMainForm::HelpSearch(int context) {
    helpContext_ = context;
    if (help_) help_->showSearch();
}

void TMainForm::miDiagramClick() {
    if (diagram_) diagram_->ShowDiagram();
}

void TMainForm::About1Click() {
    if (about_) dialogs_.exec(about_);
}

int TMainForm::BackgroundIndex() const {
    if (rbPlain->isChecked()) return 0;
    if (rbGradient->isChecked()) return 1;
    if (rbWallpaper->isChecked()) return 2;
    return -1;
}

void TMainForm::SetBackgroundIndex(int index) {
    // No selection first, as a freshly loaded lesson starts with none.
    for (QRadioButton* rb : {rbPlain, rbGradient, rbWallpaper}) {
        rb->setAutoExclusive(false);
        rb->setChecked(false);
        rb->setAutoExclusive(true);
    }
    if (index == 0) rbPlain->setChecked(true);
    if (index == 1) rbGradient->setChecked(true);
    if (index == 2) rbWallpaper->setChecked(true);
    if (index >= 0) actions_->rgBackgroundClick();
}

void TMainForm::Menu(int domain) {
    MainMenu1->Menu(domain, state_.LessonOpen, state_.CurrentPage, state_.Playing);
}

void TMainForm::MenuHide(bool show) {
    MainMenu1->MenuHide(show);
    // Back to editing: the menus of the domain in force.
    if (show) Menu(state_.CurrentDomain);
}

void TMainForm::releaseWindows() {
    state_.AppEnded = true;
    for (QWidget* w : {static_cast<QWidget*>(TitleScreen), static_cast<QWidget*>(Util), static_cast<QWidget*>(Frame)})
        if (w) w->setParent(nullptr);
}

void TMainForm::attachDatabase(Database& db) {
    LesnTable = std::make_unique<Table>(db, QStringLiteral("VELLO002.DB"));
    PageTable = std::make_unique<Table>(db, QStringLiteral("Bpgqu002.db"));
    WurdTable = std::make_unique<Table>(db, QStringLiteral("Bkwrd002.DB"));
    ChoiceTable = std::make_unique<Table>(db, QStringLiteral("bkcho002.db"));
}

void TMainForm::SetCurrentPage(int n) {
    state_.CurrentPage = n;
    editPage->setText(QString::number(n));
}

void TMainForm::TitleOn() {
    if (!state_.DisplayEnabled) return;
    if (!state_.TitleShown) SetCurrentPage(0);
    if (TitleScreen) TitleScreen->show();
    if (Util) Util->hide();
    if (Frame) Frame->hide();
    state_.TitleShown = true;
    state_.FrameShown = false;
}

void TMainForm::FrameOn() {
    if (!state_.DisplayEnabled) return;
    if (Frame) Frame->show();
    if (TitleScreen) TitleScreen->hide();
    if (Util) Util->hide();
    state_.FrameShown = true;
    state_.TitleShown = false;
}

void TMainForm::ClearDisplay() {
    if (!state_.DisplayEnabled) return;
    if (Util) Util->show();
    if (TitleScreen) TitleScreen->hide();
    if (Frame) Frame->hide();
    SetCurrentPage(0);
    state_.TitleShown = false;
    state_.FrameShown = false;
}

void TMainForm::CleanUp() {
    state_.CleaningUp = true;
    pnlColor->hide();
    pnlSize->hide();
    lbDomain->hide();
    lbDomain->setEnabled(false);
    pnlSetStyle->hide();
    pnlSetStyle->setEnabled(false);
    BackPanel->hide();
    FontCombo->hide();
    if (Frame) {
        Frame->SelectJump1Page->hide();
        Frame->SelectJump2Page->hide();
    }
    state_.CleaningUp = false;
}

void TMainForm::Icons(int domain) { navigator_->Icons(domain); }

void TMainForm::FormActivate() {
    if (activatedOnce_) return;
    // The command-line lesson is opened once, when the program starts: opening
    // it again on every activation would throw the author back to the title
    // page each time a dialog closes.
    activatedOnce_ = true;
    if (!commandLineLesson_.isEmpty() && LesnTable && LesnTable->findKey(commandLineLesson_)) {
        emit openLessonRequested(LesnTable->key());
        return;
    }
    if (!state_.LessonOpen) Icons(0);
}

bool TMainForm::SaveAll() {
    if (!state_.LessonOpen) return true;
    // The page's words, the lesson record, then the page record.
    pages().SaveWurdRecords();
    for (const auto& save : savers_)
        if (!save()) return false;
    return pages().SaveCurrentPage();
}

void TMainForm::ShutDown() {
    if (SaveAll()) {
        state_.DisplayEnabled = false;
        if (dialogs_.confirm(texts::kExitVellora)) terminate();
    } else if (dialogs_.confirm(texts::kNotSaved)) {
        terminate();
    }
}

void TMainForm::terminate() {
    RememberPlace();
    state_.Closing = true;
    emit terminated();
    close();
    QCoreApplication::quit();
}

void TMainForm::setStatusText(const QString& text) {
    pnlStatus->setText(text);
    pnlStatus->repaint();
}

void TMainForm::ShowProgress(bool visible, int percent) {
    Gauge1->setVisible(visible);
    Gauge1->setProgress(percent);
}

bool TMainForm::isHosted(const QWidget* w) const { return w == TitleScreen || w == Util || w == Frame; }

void TMainForm::FormResize() {
    if (!state_.ResizeEnabled || state_.Closing) return;
    const int newWidth = central_->width();
    const int newHeight = central_->height();
    if (newWidth <= 0 || newHeight <= 0 || state_.BaseWidth <= 0 || state_.BaseHeight <= 0) return;

    const int size = StatusFontSize(newHeight);
    for (QWidget* w : {static_cast<QWidget*>(editPage), static_cast<QWidget*>(editPages),
                       static_cast<QWidget*>(editPageLabel), static_cast<QWidget*>(Edit9),
                       static_cast<QWidget*>(editFont), static_cast<QWidget*>(editDomainLabel),
                       static_cast<QWidget*>(editDomain), static_cast<QWidget*>(editSizeFont),
                       static_cast<QWidget*>(BtnBack), static_cast<QWidget*>(BtnNext)}) {
        QFont f = w->font();
        f.setPointSize(size);
        w->setFont(f);
    }
    // Every control of the main window; the hosted windows size themselves
    // to the client panel.
    const auto controls = scaledControls(central_, [this](const QWidget* w) { return isHosted(w); });
    for (QWidget* w : controls)
        w->setGeometry(scaleRect(w->geometry(), state_.BaseWidth, state_.BaseHeight, newWidth, newHeight));
    state_.BaseWidth = newWidth;
    state_.BaseHeight = newHeight;
}

void TMainForm::ClientOfMainScreenResize() {
    if (state_.AppEnded) return;
    for (QWidget* w : {static_cast<QWidget*>(TitleScreen), static_cast<QWidget*>(Util), static_cast<QWidget*>(Frame)})
        if (w) w->setGeometry(0, 0, ClientOfMainScreen->width(), ClientOfMainScreen->height());
}

void TMainForm::FormClick() {
    state_.DisplayEnabled = true;
    if (Frame) Frame->Timer1->stop();
    CleanUp();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == central_) FormResize();
        if (watched == ClientOfMainScreen) ClientOfMainScreenResize();
    } else if (event->type() == QEvent::FocusIn && watched == lbDomain) {
        navigator_->lbDomainEnter();
    } else if (event->type() == QEvent::KeyPress && watched == lbDomain) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            navigator_->lbDomainClick();
            return true;
        }
        if (key == Qt::Key_Escape) {
            navigator_->lbDomainClose();
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonPress && (watched == central_ || watched == ClientOfMainScreen)) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::RightButton) {
            emit continueRequested();
            return true;
        }
        FormClick();
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::event(QEvent* event) {
    if (event->type() == QEvent::Show) {
        state_.DisplayEnabled = true;
        state_.ForceDomainRefresh = true;
    } else if (event->type() == QEvent::WindowActivate) {
        emit activated();
        FormActivate();
    }
    return QMainWindow::event(event);
}

void TMainForm::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton)
        emit continueRequested();
    else
        FormClick();
    QMainWindow::mousePressEvent(event);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Closing through the window frame goes through the exit dialogue too, so
    // that nothing unsaved is lost on the way out.
    if (!state_.Closing) ShutDown();
    if (state_.Closing)
        event->accept();
    else
        event->ignore();
}

}  // namespace vellora
