#pragma once

#include <QString>
#include <stdexcept>

namespace vellora {

// Error raised by the table layer. Callers that must tell conditions apart
// (start-up repair, import) test the code, never the text.
class StoreError : public std::runtime_error {
public:
    enum class Code {
        UnknownDatabase,   // an alias that the registry does not know
        TableDoesNotExist, // the directory exists but a table file is missing
        PathNotFound,      // the database directory is missing
        NotADatabase,      // a table file that is damaged or not ours
        ConstraintFailed,  // a row refused by a rule, a size or a duplicate key
        NoCurrentRow,      // an operation that needs a current row found none
        ReadOnly,          // a write to a table opened read-only
        Io,                // anything else the engine reported
    };

    StoreError(Code code, const QString& message)
        : std::runtime_error(message.toStdString()), code_(code), message_(message) {}

    Code code() const { return code_; }
    const QString& message() const { return message_; }

private:
    Code code_;
    QString message_;
};

// The database handler's own exception.
class HDDBExeption : public std::runtime_error {
public:
    explicit HDDBExeption(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

}  // namespace vellora
