// The display pictures, over numbers, dates and texts: any picture either
// formats or raises a run-time error, never anything else.
#include "FuzzInput.h"
#include "runtime/Error.h"
#include "runtime/Format.h"
#include "runtime/Value.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 9)
        return 0;
    double number;
    std::memcpy(&number, data + 1, sizeof number);
    const QString picture = fuzz::text(data + 9, size - 9);
    rt::Value value;
    switch (data[0] % 5) {
    case 0: value = rt::Value(number); break;
    case 1: value = rt::Value(qint64(number == number && number > -9e18 && number < 9e18 ? qint64(number) : 0)); break;
    case 2:
        try {
            value = rt::Value(rt::DateTime(number));
        } catch (const rt::RuntimeError &) {
            return 0;
        }
        break;
    case 3: value = rt::Value(picture.left(picture.size() / 2)); break;
    default: value = rt::Value::null(); break;
    }
    try {
        rt::format(value, picture);
    } catch (const rt::RuntimeError &) {
    }
    return 0;
}
