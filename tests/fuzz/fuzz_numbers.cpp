// Reading numbers, dates and times from what a user types.
#include "FuzzInput.h"
#include "runtime/Error.h"
#include "runtime/Parse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzz::text(data, size);
    try {
        rt::leadingNumber(text);
    } catch (const rt::RuntimeError &) {
    }
    rt::parseNumber(text);
    rt::parseDateTime(text);
    rt::parseTimeOfDay(text);
    return 0;
}
