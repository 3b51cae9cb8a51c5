// The stand-in dialing component's line script as a user might leave it.
#include "FuzzInput.h"
#include "platform/dialup/LineScript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static fuzz::InputFile file;
    const QString &path = file.write(data, size);
    for (const QString &connection : {QStringLiteral("Home"), QStringLiteral("Tarvo Demo"), QString()})
        dialup::LineScript::read(path, connection);
    return 0;
}
