// The libFuzzer driver of one entry point, chosen when the target is built.
#include "fuzzentries.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // The fuzzer's own buffer, of the exact size and without a terminator: a read past the end
    // of the input is caught.
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    VODURO_FUZZ_ENTRY(input);
    return 0;
}
