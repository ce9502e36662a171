#include "ShellPageHost.h"

#include "AppState.h"
#include "LessonLifecycle.h"
#include "NewPageDialog.h"
#include "TMainForm.h"
#include "TTitleScreen.h"
#include "ToolStripWidget.h"

namespace vellora {

ShellPageHost::ShellPageHost(AppState& state, TMainForm& form, LessonLifecycle& lifecycle, TTitleScreen& title,
                             Dialogs& dialogs)
    : state_(state), form_(form), lifecycle_(lifecycle), title_(title), dialogs_(dialogs) {}

void ShellPageHost::Icons(int domain) { form_.Icons(domain); }

void ShellPageHost::SetCurrentPage(int pageNumber) { form_.SetCurrentPage(pageNumber); }

bool ShellPageHost::SetPageCount(int pageCount) {
    state_.PageCount = pageCount;
    form_.editPages->setText(QString::number(pageCount));
    return lifecycle_.SaveLesnRecord();
}

bool ShellPageHost::AskNewPage() {
    TdlgNewPage* dialog = form_.newPageDialog();
    return dialog && dialog->Execute(dialogs_);
}

void ShellPageHost::RespaceTitle() { title_.SpaceNames(); }

QString ShellPageHost::MediaFileName(int domain, int index) { return lifecycle_.MediaFileName(domain, index); }

int ShellPageHost::BackgroundIndex() const { return form_.BackgroundIndex(); }

void ShellPageHost::ShowTextFont(int domain) { emit form_.displayFontRequested(domain); }

void ShellPageHost::ShowRecording(bool recording) { form_.Slider->ShowRecording(recording); }

}  // namespace vellora
