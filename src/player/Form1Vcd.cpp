// Video CD playback and track keys.
#include "Form1.h"
#include "Keys.h"

namespace player {

namespace {

constexpr std::uint8_t LastTrack = 255;

} // namespace

std::string Form1::getCDROM()
{
    // No caching: a drive may come or go between two questions. "A:" is never asked.
    for (char letter = 'B'; letter <= 'Z'; ++letter) {
        if (services_.drives.GetDriveTypeA(std::string{letter, ':'}) == platform::DRIVE_CDROM)
            return std::string(1, letter);
    }
    return "";
}

bool Form1::isfile(const std::string& fname)
{
    try {
        services_.files.OpenForInput(fname);
        services_.files.CloseAll();
        return true;
    } catch (...) {
        return false;
    }
}

std::string Form1::vcdname(const std::uint8_t& track)
{
    // Appended in place: GCC 12 at -O3 misreads "0" + std::string as an overlapping copy.
    std::string name = getCDROM();
    name += vcdvideo ? ":\\mpegav\\avseq" : ":\\mpegav\\music";
    if (track < 10)
        name += '0';
    name += std::to_string(track);
    name += ".dat";
    return name;
}

void Form1::vcd_Click()
{
    const std::string drive = getCDROM();
    if (drive == "")
        return;
    const std::string video = drive + ":\\mpegav\\avseq01.dat";
    // The control is shown as Open shows it: after a start-up without a file
    // it is still hidden, and the track would play with no picture.
    if (isfile(video)) {
        Mov1.MediaFile(video);
        Mov1.Visible(true);
        vcdtrack = 1;
        vcdvideo = true;
        return;
    }
    const std::string music = drive + ":\\mpegav\\music01.dat";
    if (isfile(music)) {
        Mov1.MediaFile(music);
        Mov1.Visible(true);
        vcdtrack = 1;
        vcdvideo = false;
        return;
    }
    services_.boxes.MsgBox("No Video CD found in your CDROM Drive !");
    vcdtrack = 0;
}

void Form1::Form_KeyPress(std::int16_t& keyAscii)
{
    if (keyAscii == forms::keys::LowerV || keyAscii == forms::keys::UpperV)
        vcd_Click();
    if (vcdtrack == 0)
        return;

    if (keyAscii == forms::keys::Enter) {
        // After track 255 there is no number left: back to the first track.
        const bool nextFits = vcdtrack < LastTrack;
        const std::uint8_t next = nextFits ? static_cast<std::uint8_t>(vcdtrack + 1) : 1;
        std::string path;
        if (nextFits && isfile(vcdname(next))) {
            vcdtrack = next;
            path = vcdname(vcdtrack);
        } else {
            vcdtrack = 1;
            path = vcdname(vcdtrack);
        }
        Mov1.MediaFile(path);
    } else if (keyAscii == forms::keys::Backspace && vcdtrack > 1) {
        const auto previous = static_cast<std::uint8_t>(vcdtrack - 1);
        if (!isfile(vcdname(previous)))
            return;
        vcdtrack = previous;
        Mov1.MediaFile(vcdname(vcdtrack));
    }
}

void Form1::Mov1_KeyPress(std::int16_t& keyAscii)
{
    Form_KeyPress(keyAscii);
}

} // namespace player
