#include "frmAbout.h"

#include "RuntimeError.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace about {

frmAbout::frmAbout(frmAboutServices services)
    : dispatcher(services.boxes), dialog(frmAboutLayout(), frmAboutControls(), dispatcher), form(dialog.form),
      picIcon(dialog.control("picIcon")), lblTitle(dialog.control("lblTitle")),
      lblVersion(dialog.control("lblVersion")), Frame1(dialog.control("Frame1")),
      lblDescription(dialog.control("lblDescription")), Line1(dialog.array("Line1")), Label1(dialog.control("Label1")),
      cmdOK(dialog.control("cmdOK")), cmdSysInfo(dialog.control("cmdSysInfo")), services_(std::move(services))
{
    form.Load = [this] { Form_Load(); };
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdSysInfo.Click = [this] { cmdSysInfo_Click(); };
}

void frmAbout::Form_Load()
{
    dialog.Icon(services_.ownerIcon());
    picIcon.Picture(services_.ownerIcon());
}

void frmAbout::cmdOK_Click()
{
    dialog.Unload();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::StartSysInfo()
{
    // Any failure on the way (a value that cannot be read, a program that does
    // not start) means the same to the user: the tool is not available.
    bool started = false;
    try {
        std::string SysInfoPath;
        bool found =
            GetKeyValue(platform::HKEY_LOCAL_MACHINE, std::string(SysInfoKey), std::string(SysInfoValue), SysInfoPath);
        if (!found &&
            GetKeyValue(platform::HKEY_LOCAL_MACHINE, std::string(SysInfoLocationKey),
                        std::string(SysInfoLocationValue), SysInfoPath) &&
            services_.files.Dir(SysInfoPath + std::string(SysInfoProgram)) != "") {
            SysInfoPath += SysInfoProgram;
            found = true;
        }
        if (found) {
            services_.launcher.Shell(SysInfoPath, platform::WindowStyle::NormalFocus);
            started = true;
        }
    } catch (...) {
        started = false;
    }
    if (!started)
        services_.boxes.MsgBox(SysInfoUnavailable);
}

bool frmAbout::GetKeyValue(const platform::HKEY& KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                           std::string& KeyVal)
{
    platform::Registry& registry = services_.registry;
    platform::HKEY hKey = 0;
    std::array<std::uint8_t, 1024> tmpVal{};
    std::uint32_t KeyValSize = tmpVal.size();
    std::uint32_t KeyValType = 0;

    const bool read =
        registry.RegOpenKeyExA(KeyRoot, KeyName, 0, RegistryAccess, hKey) == platform::ERROR_SUCCESS &&
        registry.RegQueryValueExA(hKey, SubKeyRef, KeyValType, tmpVal.data(), KeyValSize) == platform::ERROR_SUCCESS;
    if (!read) {
        KeyVal = "";
        registry.RegCloseKey(hKey);
        return false;
    }
    if (KeyValSize == 0) {
        // An empty value has no last character to look at: an error for the
        // caller, but the key is closed first.
        registry.RegCloseKey(hKey);
        throw forms::RuntimeError("Invalid procedure call or argument");
    }

    // A size beyond the buffer can only come from a faulty source; read no further than the buffer.
    const std::size_t n = std::min<std::size_t>(KeyValSize, tmpVal.size());
    std::string text(reinterpret_cast<const char*>(tmpVal.data()), n);
    if (text.back() == '\0')
        text.pop_back();

    switch (KeyValType) {
    case platform::REG_SZ:
        KeyVal = text;
        break;
    case platform::REG_DWORD: {
        // The number in decimal, from its little-endian bytes.
        std::uint32_t number = 0;
        for (std::size_t i = std::min<std::size_t>(n, 4); i-- > 0;)
            number = number << 8 | tmpVal[i];
        KeyVal = std::to_string(number);
        break;
    }
    default:
        break;
    }
    registry.RegCloseKey(hKey);
    return true;
}

} // namespace about
