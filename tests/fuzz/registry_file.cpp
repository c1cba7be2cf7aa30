// The administrator's registry file: any text parses, and every value found
// under a key is the one values() lists for it.
#include "RegistryFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string key = input.ConsumeRandomLengthString(80);
    const std::string name = input.ConsumeRandomLengthString(40);
    const platform::RegistryFile file = platform::RegistryFile::parse(input.ConsumeRemainingBytesAsString());

    const auto values = file.values(key);
    const platform::RegistryValue* found = file.find(key, name);
    const auto listed = values.find(platform::RegistryFile::normalName(name));
    if ((found != nullptr) != (listed != values.end()))
        std::abort();
    if (found && (found->type != listed->second.type || found->data != listed->second.data))
        std::abort();
    if (!values.empty() && !file.hasKey(key))
        std::abort();
    return 0;
}
