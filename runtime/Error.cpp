#include "runtime/Error.h"

#include <utility>

namespace rt {

RuntimeError::RuntimeError(int number, QString description)
    : m_number(number),
      m_description(std::move(description)),
      m_what(QString::number(m_number).toUtf8() + ' ' + m_description.toUtf8())
{
}

void raise(int number, const QString &description)
{
    throw RuntimeError(number, description);
}

namespace err {

void invalidProcedureCall()
{
    raise(InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"));
}

void overflow()
{
    raise(Overflow, QStringLiteral("Overflow"));
}

void typeMismatch()
{
    raise(TypeMismatch, QStringLiteral("Type mismatch"));
}

void invalidUseOfNull()
{
    raise(InvalidUseOfNull, QStringLiteral("Invalid use of Null"));
}

void invalidPropertyValue()
{
    raise(InvalidPropertyValue, QStringLiteral("Invalid property value"));
}

void invalidPropertyArrayIndex()
{
    raise(InvalidPropertyArrayIndex, QStringLiteral("Invalid property array index"));
}

} // namespace err

} // namespace rt
