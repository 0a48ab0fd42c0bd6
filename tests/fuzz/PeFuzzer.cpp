// Arbitrary bytes through what `fpack embed` reads from an executable: the PE headers, and the
// same bytes as a version resource to restamp. Sanitizers report any read or write out of
// bounds, leak or undefined behaviour; the checks below, any result the contracts do not allow.
#include "tools/PeImage.h"
#include "tools/VersionResource.h"

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PeFacts facts = {-1, -1};
    int image = PeReadFacts(data, size, &facts);
    if (image == 1 ? (facts.isSigned & ~1) || (facts.hasSymbols & ~1)
                   : image != 0 || facts.isSigned != -1 || facts.hasSymbols != -1)
        abort();

    const uint16_t parts[4] = {2, 4, 0, 17};
    const std::vector<unsigned char> untouched(1, 0x55);
    std::vector<unsigned char> out = untouched;
    int restamped = RestampVersion(std::vector<unsigned char>(data, data + size), parts, out);
    if (restamped != 1) {
        if (restamped != 0 || out != untouched)
            abort();
        return 0;
    }
    // What it writes is well-formed, and restamping it again changes nothing.
    std::vector<unsigned char> again;
    if (out.size() > 0xffff || RestampVersion(out, parts, again) != 1 || again != out)
        abort();
    return 0;
}
