#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace vellora::testing {
namespace {

const char* kindName(MsgKind k) {
    switch (k) {
        case MsgKind::Information: return "information";
        case MsgKind::Warning: return "warning";
        case MsgKind::Error: return "error";
        case MsgKind::Confirmation: return "confirmation";
    }
    return "?";
}

}  // namespace

ScriptedDialogs::~ScriptedDialogs() {
    for (const auto& e : messages_)
        ADD_FAILURE() << "expected " << kindName(e.kind) << " message never shown: " << e.text.toStdString();
    for (const auto& f : files_) ADD_FAILURE() << "expected file dialog never shown (answer " << f.toStdString() << ")";
    for (const auto& d : dialogs_) ADD_FAILURE() << "expected dialog never shown: " << d.first.toStdString();
}

ScriptedDialogs& ScriptedDialogs::expect(MsgKind kind, const QString& text, MsgAnswer answer, const QString& title) {
    messages_.push_back({kind, text, answer, title});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectContaining(MsgKind kind, const QString& fragment, MsgAnswer answer) {
    messages_.push_back({kind, fragment, answer, QString(), true});
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectFile(const QString& path) {
    files_.push_back(path);
    return *this;
}

ScriptedDialogs& ScriptedDialogs::expectDialog(const QString& objectName, std::function<int(QObject*)> handler) {
    dialogs_.emplace_back(objectName, std::move(handler));
    return *this;
}

MsgAnswer ScriptedDialogs::message(MsgKind kind, const QString& text, MsgButtons buttons, const QString& title) {
    shown_.push_back({kind, text, title});
    if (messages_.empty()) {
        ADD_FAILURE() << "unexpected " << kindName(kind) << " message: " << text.toStdString();
        return buttons == MsgButtons::YesNo ? MsgAnswer::No : (buttons == MsgButtons::OkCancel ? MsgAnswer::Cancel : MsgAnswer::Ok);
    }
    const Expected e = messages_.front();
    messages_.pop_front();
    EXPECT_EQ(kindName(e.kind), std::string(kindName(kind))) << "for message " << text.toStdString();
    if (e.fragment) {
        EXPECT_TRUE(text.contains(e.text)) << "message \"" << text.toStdString() << "\" lacks \""
                                           << e.text.toStdString() << "\"";
    } else {
        EXPECT_EQ(e.text.toStdString(), text.toStdString());
    }
    if (!e.title.isEmpty()) EXPECT_EQ(e.title.toStdString(), title.toStdString());
    return e.answer;
}

QString ScriptedDialogs::getOpenFileName(const QString& caption, const QString&, const QString&) {
    if (files_.empty()) {
        ADD_FAILURE() << "unexpected open dialog: " << caption.toStdString();
        return {};
    }
    QString f = files_.front();
    files_.pop_front();
    return f;
}

QString ScriptedDialogs::getSaveFileName(const QString& caption, const QString& dir, const QString& filter) {
    return getOpenFileName(caption, dir, filter);
}

QString ScriptedDialogs::getExistingDirectory(const QString& caption, const QString& dir) {
    return getOpenFileName(caption, dir, QString());
}

int ScriptedDialogs::exec(QObject* dialog) {
    const QString name = dialog ? dialog->objectName() : QString();
    if (dialogs_.empty()) {
        ADD_FAILURE() << "unexpected dialog: " << name.toStdString();
        return 0;
    }
    auto d = dialogs_.front();
    dialogs_.pop_front();
    EXPECT_EQ(d.first.toStdString(), name.toStdString());
    return d.second(dialog);
}

}  // namespace vellora::testing
