#pragma once

#include "Control.h"
#include "ControlTable.h"
#include "Dialog.h"
#include "Dispatcher.h"
#include "FileSearch.h"
#include "Form.h"
#include "FormLayout.h"
#include "MessageBoxes.h"
#include "Picture.h"
#include "ProgramLauncher.h"
#include "Registry.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace about {

// Everything outside the dialog that the About dialog talks to.
struct frmAboutServices {
    platform::Registry& registry;
    platform::FileSearch& files;
    platform::ProgramLauncher& launcher;
    platform::MessageBoxes& boxes;
    // The player window's icon, read when the dialog loads.
    std::function<forms::Picture()> ownerIcon;
};

// The stored layout of the dialog: the window, then its controls.
const forms::FormLayout& frmAboutLayout();
std::span<const forms::ControlRow> frmAboutControls();

// Where the System Information tool is written down, tried in this order.
inline constexpr std::string_view SysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr std::string_view SysInfoValue = "PATH";
inline constexpr std::string_view SysInfoLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr std::string_view SysInfoLocationValue = "MSINFO";
inline constexpr std::string_view SysInfoProgram = "\\MSINFO32.EXE";
inline constexpr std::string_view SysInfoUnavailable = "System Information Is Unavailable At This Time";
// Read control and the rights to query, set and create values and keys, enumerate, notify and link.
inline constexpr std::uint32_t RegistryAccess = 0x2003F;

// The About dialog: loaded afresh for each opening, unloaded when it closes.
class frmAbout {
  public:
    explicit frmAbout(frmAboutServices services);
    frmAbout(const frmAbout&) = delete;
    frmAbout& operator=(const frmAbout&) = delete;

    forms::Dispatcher dispatcher;
    forms::Dialog dialog;
    forms::Form& form;

    forms::Control& picIcon;
    forms::Control& lblTitle;
    forms::Control& lblVersion;
    forms::Control& Frame1;
    forms::Control& lblDescription;
    std::vector<forms::Control*> Line1;
    forms::Control& Label1;
    forms::Control& cmdOK;
    forms::Control& cmdSysInfo;

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void StartSysInfo();
    // Reads one named value of a registry key as text into KeyVal. True when
    // the key opened and the value was read, whatever its type.
    bool GetKeyValue(const platform::HKEY& KeyRoot, const std::string& KeyName, const std::string& SubKeyRef,
                     std::string& KeyVal);

  private:
    frmAboutServices services_;
};

} // namespace about
