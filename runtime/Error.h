#pragma once

#include <QString>
#include <exception>

namespace rt {

// A run-time error as the program's error trap sees it: a number and a
// description. Procedures raise it; the trap hands it to the error log.
class RuntimeError : public std::exception {
public:
    RuntimeError(int number, QString description);

    int number() const { return m_number; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

[[noreturn]] void raise(int number, const QString &description);

// The numbers the value rules raise, with their usual descriptions.
namespace err {
constexpr int InvalidProcedureCall = 5;   // "Invalid procedure call or argument"
constexpr int Overflow = 6;               // "Overflow"
constexpr int TypeMismatch = 13;          // "Type mismatch"
constexpr int InvalidUseOfNull = 94;      // "Invalid use of Null"
[[noreturn]] void invalidProcedureCall();
[[noreturn]] void overflow();
[[noreturn]] void typeMismatch();
[[noreturn]] void invalidUseOfNull();
} // namespace err

} // namespace rt
