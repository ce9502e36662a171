#pragma once

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <array>

#include "DomainTable.h"

namespace vellora {

struct AppState;

// A domain's label on the diagram: a click reports the domain.
class TDomainLabel : public QLabel {
    Q_OBJECT
public:
    TDomainLabel(int domain, QWidget* parent);
    int domain() const { return domain_; }

signals:
    void clicked(int domain);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    int domain_;
};

// "System Domains": every domain as a label, joined by lines in the order the
// author meets them. It marks the current domain and, in activate mode, goes
// to the domain whose label is clicked. Modeless; it lives as long as the
// program and remembers its mode between openings.
class TdlgDiagram : public QDialog {
    Q_OBJECT
public:
    TdlgDiagram(AppState& state, QWidget* parent = nullptr);

    // Help > Diagram: restore the remembered mode and show without waiting.
    void ShowDiagram();
    // Marks the current domain (with a lesson open).
    void HotDomain(int domain);
    bool IsHot(int domain) const;
    bool DiagramActivate() const { return diagramActivate_; }
    TDomainLabel* DomainLabel(int domain) const { return labels_.at(domain); }

    QScrollArea* sbDiagram;
    QGroupBox* rbViewOrActivate;
    QRadioButton* rbView;
    QRadioButton* rbActivate;
    QPlainTextEdit* Memo1;
    QPushButton* OKBtn;
    QPushButton* BitBtn1;
    QLabel* lbTitleScreen;
    QLabel* lbAuthor;
    QLabel* lbCopyright;

signals:
    // A label clicked in activate mode.
    void domainRequested(int domain);
    // The right mouse button on the diagram acts as Continue.
    void continueRequested();
    void helpRequested(int topic);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rbViewOrActivateClick();
    void labelClicked(int domain);
    void mark(int domain, bool hot);

    AppState& state_;
    std::array<TDomainLabel*, kDomainCount> labels_{};
    bool diagramActivate_ = false;
};

}  // namespace vellora
