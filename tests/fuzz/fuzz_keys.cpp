// The keystroke notation: any text either reads or is refused with a
// run-time error, and a text made literal reads back as exactly itself.
#include "FuzzInput.h"
#include "platform/KeyNotation.h"
#include "platform/Keystrokes.h"
#include "runtime/Error.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = fuzz::text(data, size);
    try {
        platform::keys::parse(text);
    } catch (const rt::RuntimeError &) {
    }

    QString typed;
    for (const platform::keys::KeyStroke &k : platform::keys::parse(platform::keys::literal(text)))
        typed += k.text;
    if (typed != text)
        std::abort();
    return 0;
}
