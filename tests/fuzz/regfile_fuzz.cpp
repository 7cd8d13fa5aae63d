// Fuzz target of the registry export reader: any input either is refused
// or reads into a hive whose written form reads back to the same hive.
#include "regfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    standin::RegHive hive;
    std::string error;
    if (!standin::parseRegFile(std::string(reinterpret_cast<const char *>(data), size), hive, &error))
        return 0;
    const std::string written = standin::serializeRegFile(hive);
    standin::RegHive again;
    if (!standin::parseRegFile(written, again, &error))
        std::abort(); // what the writer wrote must read back
    if (standin::serializeRegFile(again) != written)
        std::abort(); // and read back to the same hive
    return 0;
}
