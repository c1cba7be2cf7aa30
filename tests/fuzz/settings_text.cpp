// The settings file's text: whatever a file holds, a value set comes back
// exactly after writing and reading again, and every entry left alone keeps
// its meaning.
#include "IniText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <map>
#include <utility>

namespace {

using Meaning = std::map<std::pair<QString, QString>, std::optional<std::string>>;

Meaning meaning(const platform::IniText& ini)
{
    Meaning out;
    for (const auto& item : ini.items())
        out[{item.section, item.key}] = item.value;
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(40);
    const std::string key = input.ConsumeRandomLengthString(40);
    const std::string value = input.ConsumeRandomLengthString(200);
    const std::string file = input.ConsumeRemainingBytesAsString();

    std::optional<platform::IniText> ini = platform::IniText::parse(QByteArray(file.data(), qsizetype(file.size())));
    if (!ini)
        return 0;
    ini->setValue(section, key, value);
    const Meaning before = meaning(*ini);

    const std::optional<platform::IniText> again = platform::IniText::parse(ini->text());
    if (!again || again->value(section, key) != std::optional<std::string>(value) || meaning(*again) != before)
        std::abort();
    return 0;
}
