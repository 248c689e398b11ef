#include "app/settings_dialog.h"

#include <IL/il.h>
#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/settings_choice.h"
#include "archive/archive.h"
#include "platform/dialog_host.h"
#include "platform/platform.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Layout
// ---------------------------------------------------------------------------------------------

// The dialog is laid out in dialog units, as a desktop dialog of 8-point text is: a unit is a
// quarter of the average character width (6 pixels) across and an eighth of the line height
// (13 pixels) down. At that scale the 171 x 158 units above the controls hold the 256 x 256
// splash exactly.
constexpr float kUnitX = 1.5f;
constexpr float kUnitY = 1.625f;
constexpr int kDialogUnitsWide = 175;
constexpr int kDialogUnitsHigh = 218;
constexpr int kSplashSide = 256;
constexpr float kFontPixels = 14.0f;

struct Box {
    float x, y, w, h;  // dialog units
    ImVec2 min() const { return {std::round(x * kUnitX), std::round(y * kUnitY)}; }
    ImVec2 size() const { return {std::round(w * kUnitX), std::round(h * kUnitY)}; }
    ImVec2 max() const { return {min().x + size().x, min().y + size().y}; }
};

constexpr Box kSplash{3, 2, 171, 158};
constexpr Box kList{21, 162, 77, 12};  // closed; the drop-down opens below it
constexpr Box kFullscreenBox{104, 161, 70, 15};
constexpr Box kButton32{58, 178, 55, 14};
constexpr Box kOk{21, 196, 50, 14};
constexpr Box kCancel{77, 196, 50, 14};

int dialogWidth() {
    return static_cast<int>(kDialogUnitsWide * kUnitX);
}
int dialogHeight() {
    return static_cast<int>(kDialogUnitsHigh * kUnitY);
}

// Puts the next control's frame of height frameHeight on the row through the middle of box,
// at left.
void placeOnRow(float left, const Box& box, float frameHeight) {
    const float middle = (box.min().y + box.max().y) * 0.5f;
    ImGui::SetCursorPos({left, std::round(middle - frameHeight * 0.5f)});
}

// ---------------------------------------------------------------------------------------------
// Look: the production's colours (navy grounds, ice text, amber marks)
// ---------------------------------------------------------------------------------------------

ImVec4 rgb(int r, int g, int b) {
    return {r / 255.0f, g / 255.0f, b / 255.0f, 1.0f};
}

void applyStyle() {
    ImGuiStyle& s = ImGui::GetStyle();
    s.WindowPadding = {0, 0};
    s.WindowBorderSize = 0;
    s.FramePadding = {6, 4};
    s.FrameRounding = 3;
    s.FrameBorderSize = 1;
    s.PopupBorderSize = 1;
    s.PopupRounding = 2;
    s.ItemInnerSpacing = {6, 4};
    ImVec4* c = s.Colors;
    c[ImGuiCol_Text] = rgb(226, 236, 244);
    c[ImGuiCol_WindowBg] = rgb(12, 19, 36);
    c[ImGuiCol_PopupBg] = rgb(18, 28, 50);
    c[ImGuiCol_Border] = rgb(70, 96, 130);
    c[ImGuiCol_FrameBg] = rgb(22, 34, 60);
    c[ImGuiCol_FrameBgHovered] = rgb(32, 50, 84);
    c[ImGuiCol_FrameBgActive] = rgb(40, 62, 100);
    c[ImGuiCol_Button] = rgb(30, 58, 86);
    c[ImGuiCol_ButtonHovered] = rgb(42, 80, 114);
    c[ImGuiCol_ButtonActive] = rgb(52, 98, 138);
    c[ImGuiCol_Header] = rgb(40, 74, 104);
    c[ImGuiCol_HeaderHovered] = rgb(52, 92, 126);
    c[ImGuiCol_HeaderActive] = rgb(62, 106, 142);
    c[ImGuiCol_CheckMark] = rgb(242, 169, 59);
}

const ImU32 kAmber = IM_COL32(242, 169, 59, 255);
const ImU32 kFocus = IM_COL32(150, 214, 230, 255);

// The focus mark: a thin frame just around the control.
void markFocus(ImVec2 min, ImVec2 max) {
    ImGui::GetWindowDrawList()->AddRect({min.x - 2, min.y - 2}, {max.x + 2, max.y + 2}, kFocus,
                                        4.0f, 0, 1.0f);
}

// The DejaVu face the artwork uses; ImGui's own font where it is missing.
void loadFont() {
    const char* path = PALISADE_DIALOG_FONT;
    FILE* file = std::fopen(path, "rb");
    if (!file) return;
    std::fclose(file);
    ImGui::GetIO().Fonts->AddFontFromFileTTF(path, kFontPixels);
}

// ---------------------------------------------------------------------------------------------
// Splash
// ---------------------------------------------------------------------------------------------

struct Picture {
    std::vector<uint8_t> rgba;  // top row first
    int width = 0;
    int height = 0;
};

// "splash.png" of the data archive as RGBA; false when it cannot be read or decoded.
bool readSplash(Picture& out) {
    size_t size = 0;
    unsigned char* data = Archive::loadEntry(&size, "splash.png");
    if (!data) return false;
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    bool ok = size > 0 && size <= 0xFFFFFFFFu &&
              ilLoadL(IL_TYPE_UNKNOWN, data, static_cast<ILuint>(size)) == IL_TRUE &&
              ilConvertImage(IL_RGBA, IL_UNSIGNED_BYTE) == IL_TRUE;
    std::free(data);
    if (ok) {
        out.width = ilGetInteger(IL_IMAGE_WIDTH);
        out.height = ilGetInteger(IL_IMAGE_HEIGHT);
        ok = out.width > 0 && out.height > 0 && out.width <= 4096 && out.height <= 4096;
    }
    if (ok) {
        const size_t row = static_cast<size_t>(out.width) * 4;
        const uint8_t* pixels = ilGetData();
        const bool bottomUp = ilGetInteger(IL_IMAGE_ORIGIN) == IL_ORIGIN_LOWER_LEFT;
        out.rgba.resize(row * out.height);
        for (int y = 0; y < out.height; ++y) {
            const int from = bottomUp ? out.height - 1 - y : y;
            std::copy_n(pixels + row * from, row, &out.rgba[row * y]);
        }
    }
    ilDeleteImages(1, &image);
    return ok;
}

// The splash fitted into its box without changing its proportions, centred.
void drawSplash(void* texture, const Picture& picture) {
    const float side = kSplashSide;
    const float scale = std::min(side / picture.width, side / picture.height);
    const ImVec2 size{std::round(picture.width * scale), std::round(picture.height * scale)};
    // Centred across the dialog, whose width the splash nearly fills.
    const float boxX = std::round((dialogWidth() - side) * 0.5f);
    const float boxY = kSplash.min().y;
    ImGui::SetCursorPos(
        {boxX + std::round((side - size.x) * 0.5f), boxY + std::round((side - size.y) * 0.5f)});
    ImGui::Image(texture, size);
}

// ---------------------------------------------------------------------------------------------
// One frame
// ---------------------------------------------------------------------------------------------

bool keyPressed(ImGuiKey key) {
    return ImGui::IsKeyPressed(ImGui::GetKeyIndex(key));
}

SettingsOutcome readKeys(SettingsDialogState& state) {
    const bool shift = ImGui::GetIO().KeyShift;
    struct Binding {
        ImGuiKey key;
        SettingsKey meaning;
    };
    const Binding bindings[] = {
        {ImGuiKey_Tab, shift ? SettingsKey::BackTab : SettingsKey::Tab},
        {ImGuiKey_UpArrow, SettingsKey::Up},
        {ImGuiKey_DownArrow, SettingsKey::Down},
        {ImGuiKey_LeftArrow, SettingsKey::Left},
        {ImGuiKey_RightArrow, SettingsKey::Right},
        {ImGuiKey_Space, SettingsKey::Space},
        {ImGuiKey_Enter, SettingsKey::Enter},
        {ImGuiKey_KeyPadEnter, SettingsKey::Enter},
        {ImGuiKey_Escape, SettingsKey::Escape},
    };
    for (const Binding& b : bindings) {
        if (!keyPressed(b.key)) continue;
        const SettingsOutcome outcome = state.press(b.meaning);
        if (outcome != SettingsOutcome::Open) return outcome;
    }
    return SettingsOutcome::Open;
}

SettingsOutcome drawDialog(SettingsDialogState& state, void* splash, const Picture& picture) {
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos({0, 0});
    ImGui::SetNextWindowSize(io.DisplaySize);
    ImGui::Begin("Settings", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus);

    // Keys first: a key that closes the drop-down must do so before it is drawn again.
    const bool listWasOpen = state.listOpen;
    SettingsOutcome outcome = readKeys(state);
    const bool closeList = listWasOpen && !state.listOpen;

    if (splash) drawSplash(splash, picture);

    const float frame = ImGui::GetFrameHeight();

    // A click on a control gives it the focus, as on a desktop dialog; the focused control
    // wears the focus mark (of the depth buttons, the checked one).
    auto settle = [&state](SettingsControl control, bool markable) {
        if (ImGui::IsItemClicked()) state.focus = control;
        if (state.focus == control && markable)
            markFocus(ImGui::GetItemRectMin(), ImGui::GetItemRectMax());
    };

    // The list and the box share a row, and so do the two depth buttons, whose group starts
    // at the list's left edge like the buttons below.
    placeOnRow(kList.min().x, kList, frame);
    const ImVec2 listMin = ImGui::GetCursorScreenPos();
    const ImVec2 listMax{listMin.x + kList.size().x, listMin.y + frame};
    if (ImGui::IsMouseClicked(ImGuiMouseButton_Left) &&
        ImGui::IsMouseHoveringRect(listMin, listMax))
        state.focus = SettingsControl::Resolution;
    ImGui::SetNextItemWidth(kList.size().x);
    const bool open = ImGui::BeginCombo("##resolution", resolutionAt(state.choice.resolution).text);
    if (open) {
        if (closeList) ImGui::CloseCurrentPopup();
        for (int i = 0; i < kResolutionCount; ++i) {
            const bool selected = i == state.choice.resolution;
            if (ImGui::Selectable(resolutionAt(i).text, selected)) state.choice.resolution = i;
            if (selected) ImGui::SetItemDefaultFocus();
        }
        ImGui::EndCombo();
    }
    state.listOpen = open && !closeList;
    if (state.focus == SettingsControl::Resolution) markFocus(listMin, listMax);

    placeOnRow(kFullscreenBox.min().x, kList, frame);
    ImGui::Checkbox("Fullscreen", &state.choice.fullscreen);
    settle(SettingsControl::Fullscreen, true);

    placeOnRow(kList.min().x, kButton32, frame);
    if (ImGui::RadioButton("16", state.choice.sixteenBits)) state.choice.sixteenBits = true;
    settle(SettingsControl::Depth, state.choice.sixteenBits);
    placeOnRow(kButton32.min().x, kButton32, frame);
    if (ImGui::RadioButton("32", !state.choice.sixteenBits)) state.choice.sixteenBits = false;
    settle(SettingsControl::Depth, !state.choice.sixteenBits);

    ImGui::SetCursorPos(kOk.min());
    if (ImGui::Button("OK", kOk.size())) outcome = SettingsOutcome::Ok;
    // The default button, which Enter presses, wears an amber frame.
    ImGui::GetWindowDrawList()->AddRect(ImGui::GetItemRectMin(), ImGui::GetItemRectMax(), kAmber,
                                        ImGui::GetStyle().FrameRounding, 0, 1.5f);
    settle(SettingsControl::Ok, true);
    ImGui::SetCursorPos(kCancel.min());
    if (ImGui::Button("Cancel", kCancel.size())) outcome = SettingsOutcome::Cancel;
    settle(SettingsControl::Cancel, true);

    ImGui::End();
    return outcome;
}

}  // namespace

SettingsResult runSettingsDialog(DemoWindow& window, const SettingsDialogOptions& options) {
    platform::DialogDesc desc;
    desc.title = "Settings";
    desc.width = dialogWidth();
    desc.height = dialogHeight();
    desc.evenWhenHeadless = options.evenWhenHeadless;
    platform::DialogHost* host = platform::openDialog(desc);
    if (!host) return SettingsResult::Unavailable;

    applyStyle();
    loadFont();
    Picture picture;
    void* splash = readSplash(picture) ? platform::dialogImage(host, picture.rgba.data(),
                                                               picture.width, picture.height)
                                       : nullptr;

    SettingsDialogState state;
    SettingsOutcome outcome = SettingsOutcome::Open;
    for (int frame = 0; outcome == SettingsOutcome::Open; ++frame) {
        const bool open = platform::beginDialogFrame(host);
        outcome = drawDialog(state, splash, picture);
        if (!open) outcome = SettingsOutcome::Cancel;
        platform::renderDialogFrame(host);
        if (options.afterFrame) options.afterFrame(host, frame);
        platform::presentDialogFrame(host);
    }
    platform::closeDialog(host);

    if (outcome != SettingsOutcome::Ok) return SettingsResult::Cancel;
    applySettings(state.choice, window);
    return SettingsResult::Ok;
}
