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

// Every error number the program raises itself, with its usual description.
// The error log and its readers know them by these numbers.
namespace err {
constexpr int InvalidProcedureCall = 5;        // "Invalid procedure call or argument"
constexpr int Overflow = 6;                    // "Overflow"
constexpr int OutOfMemory = 7;                 // "Out of memory"
constexpr int TypeMismatch = 13;               // "Type mismatch"
constexpr int InternalError = 51;              // "Internal error"
constexpr int InvalidUseOfNull = 94;           // "Invalid use of Null"
constexpr int CannotCreateObject = 429;        // "ActiveX component can't create object"
constexpr int InvalidPropertyValue = 380;      // "Invalid property value"
constexpr int InvalidPropertyArrayIndex = 381; // "Invalid property array index"
constexpr int PrinterError = 482;              // "Printer error"
// The database's, numbered as its users have always known them.
constexpr int NotEditing = 3020;               // "Update or CancelUpdate without AddNew or Edit."
constexpr int NoCurrentRecord = 3021;          // "No current record."
constexpr int FileNotFound = 3024;             // "Could not find file ..."
constexpr int BadPassword = 3031;              // "Not a valid password ..."
constexpr int FileInUse = 3045;                // "Could not use ...; file already in use."
constexpr int DatabaseEngine = 3049;           // anything else the engine reports
constexpr int NoWriteAccess = 3051;            // "Could not use ...; the file is read-only." (or its folder)
constexpr int NoSuchTable = 3078;              // "... cannot find the input table ..."
constexpr int NoSuchColumn = 3265;             // "Item not found in this collection."
constexpr int Conversion = 3421;               // "Data type conversion error."
[[noreturn]] void invalidProcedureCall();
[[noreturn]] void overflow();
[[noreturn]] void typeMismatch();
[[noreturn]] void invalidUseOfNull();
[[noreturn]] void invalidPropertyValue();
[[noreturn]] void invalidPropertyArrayIndex();
} // namespace err

} // namespace rt
