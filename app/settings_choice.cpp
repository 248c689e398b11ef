#include "app/settings_choice.h"

#include "display/demo_window.h"

namespace {

constexpr Resolution kResolutions[kResolutionCount] = {
    {"640*480", 640, 480},
    {"800*600", 800, 600},
    {"1024*768", 1024, 768},
};

constexpr SettingsControl kTabOrder[] = {SettingsControl::Resolution, SettingsControl::Fullscreen,
                                         SettingsControl::Depth, SettingsControl::Ok,
                                         SettingsControl::Cancel};
constexpr int kStops = sizeof kTabOrder / sizeof kTabOrder[0];

SettingsControl nextStop(SettingsControl from, int step) {
    int at = -1;
    for (int i = 0; i < kStops; ++i)
        if (kTabOrder[i] == from) at = i;
    if (at < 0) return step > 0 ? kTabOrder[0] : kTabOrder[kStops - 1];
    return kTabOrder[(at + step + kStops) % kStops];
}

}  // namespace

const Resolution& resolutionAt(int index) {
    return kResolutions[index];
}

void applySettings(const SettingsChoice& choice, DemoWindow& window) {
    if (choice.fullscreen) window.fullscreen = true;
    if (choice.resolution >= 0 && choice.resolution < kResolutionCount) {
        window.width = kResolutions[choice.resolution].width;
        window.height = kResolutions[choice.resolution].height;
    }
    window.colorBits = choice.sixteenBits ? 16 : 32;
}

SettingsOutcome SettingsDialogState::press(SettingsKey key) {
    const bool up = key == SettingsKey::Up || key == SettingsKey::Left;
    const bool down = key == SettingsKey::Down || key == SettingsKey::Right;
    if (listOpen) {
        if (key == SettingsKey::Enter || key == SettingsKey::Escape) {
            listOpen = false;
            return SettingsOutcome::Open;
        }
        if (key == SettingsKey::Tab || key == SettingsKey::BackTab) listOpen = false;
    }
    switch (key) {
        case SettingsKey::Tab:
            focus = nextStop(focus, 1);
            break;
        case SettingsKey::BackTab:
            focus = nextStop(focus, -1);
            break;
        case SettingsKey::Enter:
            return focus == SettingsControl::Cancel ? SettingsOutcome::Cancel : SettingsOutcome::Ok;
        case SettingsKey::Escape:
            return SettingsOutcome::Cancel;
        case SettingsKey::Space:
            if (focus == SettingsControl::Fullscreen) choice.fullscreen = !choice.fullscreen;
            if (focus == SettingsControl::Ok) return SettingsOutcome::Ok;
            if (focus == SettingsControl::Cancel) return SettingsOutcome::Cancel;
            break;
        default:
            if (focus == SettingsControl::Resolution || listOpen) {
                if (up && choice.resolution > 0) --choice.resolution;
                if (down && choice.resolution < kResolutionCount - 1) ++choice.resolution;
            } else if (focus == SettingsControl::Depth && (up || down)) {
                // Two buttons in a group: the arrows go round it, so either one flips.
                choice.sixteenBits = !choice.sixteenBits;
            }
            break;
    }
    return SettingsOutcome::Open;
}
