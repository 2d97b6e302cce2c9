// Checks a screenshot of the setup dialog against its template:
// - the window has the size the template gives at TEXT-PIXELS;
// - every button's, check box's and radio button's text is drawn whole
//   inside its control: the text is rendered alone on this X server with
//   the same font and size, and exactly those pixels must be found there;
// - marks sit on the side the control's style says;
// - the empty group box is a thin rule: two rows, shadow then highlight, half
//   a font height below its top, below the lowest ink of the texts above it,
//   and nothing of it in the rows of those texts;
// - the default button has a dark frame and nothing inside but its text.
// Usage: tev-test-dialog-look SHOT.png TEXT-PIXELS
// Prints what it found; exits 1 on the first screenshot that does not match.

// Before the X11 headers, whose macros (None) clash with its names.
#include "shell/setup_dialog.h"

#include <FL/Fl.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Image_Surface.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "png_io.h"

namespace {

using tev::platform::ControlKind;
using tev::platform::ControlTemplate;

struct Box {
    int x = 0, y = 0, w = 0, h = 0;
    int right() const { return x + w; }
    int bottom() const { return y + h; }
    bool contains(int px, int py) const {
        return px >= x && px < right() && py >= y && py < bottom();
    }
};

struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0xRRGGBB, row by row
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

int channel(uint32_t rgb, int shift) {
    return static_cast<int>((rgb >> shift) & 0xff);
}
int brightness(uint32_t rgb) {
    return channel(rgb, 16) + channel(rgb, 8) + channel(rgb, 0);
}
bool alike(uint32_t a, uint32_t b) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(channel(a, shift) - channel(b, shift)) > 8) return false;
    }
    return true;
}

int failures = 0;
void fail(const std::string& what) {
    std::printf("FAIL: %s\n", what.c_str());
    ++failures;
}

uint32_t background() {
    return Fl::get_color(FL_BACKGROUND_COLOR) >> 8;
}

// `text` as the dialog draws a label, alone, cropped to its ink.
Picture renderAlone(const std::string& text, int size) {
    fl_font(FL_HELVETICA, size);
    const int pad = 4;
    const int w = static_cast<int>(fl_width(text.c_str())) + 2 * pad;
    const int h = fl_height() + 2 * pad;
    Fl_Image_Surface surface(w, h);
    surface.set_current();
    fl_color(FL_BACKGROUND_COLOR);
    fl_rectf(0, 0, w, h);
    fl_color(FL_FOREGROUND_COLOR);
    fl_font(FL_HELVETICA, size);
    fl_draw(text.c_str(), pad, pad + fl_height() - fl_descent());
    Fl_RGB_Image* image = surface.image();
    Fl_Display_Device::display_device()->set_current();

    const auto* data = reinterpret_cast<const unsigned char*>(image->data()[0]);
    const int depth = image->d();
    const int line = image->ld() != 0 ? image->ld() : image->w() * depth;
    Box ink{w, h, 0, 0};
    int inkRight = -1, inkBottom = -1;
    auto pixel = [&](int x, int y) {
        const unsigned char* p = data + y * line + x * depth;
        return static_cast<uint32_t>(p[0] << 16 | p[1] << 8 | p[2]);
    };
    for (int y = 0; y < image->h(); ++y) {
        for (int x = 0; x < image->w(); ++x) {
            if (pixel(x, y) == background()) continue;
            ink.x = std::min(ink.x, x);
            ink.y = std::min(ink.y, y);
            inkRight = std::max(inkRight, x);
            inkBottom = std::max(inkBottom, y);
        }
    }
    Picture alone;
    if (inkRight >= 0) {
        alone.width = inkRight - ink.x + 1;
        alone.height = inkBottom - ink.y + 1;
        for (int y = ink.y; y <= inkBottom; ++y) {
            for (int x = ink.x; x <= inkRight; ++x)
                alone.pixels.push_back(pixel(x, y));
        }
    }
    delete image;
    return alone;
}

// Where `part` appears whole inside `area` of `shot`.
std::optional<Box> find(const Picture& shot, const Picture& part, const Box& area) {
    for (int y = area.y; y + part.height <= area.bottom(); ++y) {
        for (int x = area.x; x + part.width <= area.right(); ++x) {
            bool same = true;
            for (int v = 0; same && v < part.height; ++v) {
                for (int u = 0; same && u < part.width; ++u)
                    same = alike(shot.at(x + u, y + v), part.at(u, v));
            }
            if (same) return Box{x, y, part.width, part.height};
        }
    }
    return std::nullopt;
}

struct Layout {
    int baseWidth = 0, baseHeight = 0;
    Box pixels(const ControlTemplate& c) const {
        using tev::platform::dialogUnitsToPixelsX;
        using tev::platform::dialogUnitsToPixelsY;
        return Box{dialogUnitsToPixelsX(c.x, baseWidth), dialogUnitsToPixelsY(c.y, baseHeight),
                   dialogUnitsToPixelsX(c.width, baseWidth),
                   dialogUnitsToPixelsY(c.height, baseHeight)};
    }
};

bool hasText(const ControlTemplate& c) {
    return c.kind == ControlKind::DefaultButton || c.kind == ControlKind::Button ||
           c.kind == ControlKind::CheckBox || c.kind == ControlKind::RadioButton;
}

// The mark of a check box or radio button: its ink outside the text lies
// wholly on the side its style says.
void checkMarkSide(const Picture& shot, const ControlTemplate& c, const Box& area,
                   const Box& text) {
    int left = 0, right = 0;
    for (int y = area.y; y < area.bottom(); ++y) {
        for (int x = area.x; x < area.right(); ++x) {
            if (alike(shot.at(x, y), background())) continue;
            if (x < text.x) ++left;
            if (x >= text.right()) ++right;
        }
    }
    const bool onRight = c.textOnLeft;
    std::printf("\"%s\": %d mark pixels left of the text, %d right\n", c.text.c_str(), left, right);
    if ((onRight ? right : left) == 0 || (onRight ? left : right) != 0) {
        fail("\"" + c.text + "\" has its mark on the " + (onRight ? "left" : "right"));
    }
}

// The default button: a dark one-pixel frame all round, and inside the
// button's own frame and focus line nothing but the text.
void checkDefaultButton(const Picture& shot, const ControlTemplate& c, const Box& area,
                        const Box& text) {
    int light = 0;
    for (int x = area.x; x < area.right(); ++x) {
        for (int y : {area.y, area.bottom() - 1})
            light += brightness(shot.at(x, y)) > 3 * 64 ? 1 : 0;
    }
    for (int y = area.y; y < area.bottom(); ++y) {
        for (int x : {area.x, area.right() - 1})
            light += brightness(shot.at(x, y)) > 3 * 64 ? 1 : 0;
    }
    if (light != 0) fail("\"" + c.text + "\" has no dark frame all round");
    const int inset = 1 + Fl::box_dx(FL_UP_BOX) + 1;
    int stray = 0;
    for (int y = area.y + inset; y < area.bottom() - inset; ++y) {
        for (int x = area.x + inset; x < area.right() - inset; ++x) {
            if (!text.contains(x, y) && !alike(shot.at(x, y), background())) ++stray;
        }
    }
    std::printf("\"%s\": frame dark all round: %s, %d stray pixels inside\n", c.text.c_str(),
                light == 0 ? "yes" : "no", stray);
    if (stray != 0) fail("\"" + c.text + "\" draws more than its text inside (a glyph?)");
}

// A plain button's frame is light on its top and left: only the default
// button is framed dark.
void checkPlainButton(const Picture& shot, const ControlTemplate& c, const Box& area) {
    if (brightness(shot.at(area.x + area.w / 2, area.y)) <= 3 * 64) {
        fail("\"" + c.text + "\" is framed like the default button");
    }
}

struct Found {
    const ControlTemplate* control;
    Box area;
    Box text;
};

void checkRule(const Picture& shot, const Box& area, const Layout& layout,
               const std::vector<Found>& texts) {
    std::vector<int> rows;
    for (int y = area.y; y < area.bottom(); ++y) {
        const uint32_t first = shot.at(area.x, y);
        if (alike(first, background())) continue;
        bool uniform = true;
        for (int x = area.x; uniform && x < area.right(); ++x)
            uniform = shot.at(x, y) == first;
        if (uniform) rows.push_back(y);
    }
    std::printf("rule rows:");
    for (int y : rows)
        std::printf(" %d", y);
    std::printf(" (the box spans rows %d to %d)\n", area.y, area.bottom() - 1);
    const int expected = area.y + layout.baseHeight / 2;
    if (rows.size() != 2 || rows[1] != rows[0] + 1) {
        fail("the empty group box is not one two-pixel line");
        return;
    }
    if (rows[0] != expected) {
        fail("the rule is at row " + std::to_string(rows[0]) + ", half a font height below " +
             "the box's top is " + std::to_string(expected));
    }
    const int bg = brightness(background());
    if (!(brightness(shot.at(area.x, rows[0])) < bg && brightness(shot.at(area.x, rows[1])) > bg)) {
        fail("the rule is not etched (shadow, then highlight)");
    }
    // The texts above the rule and over its columns: whole, above it, and in
    // their rows not a pixel of it beside them.
    for (const Found& f : texts) {
        if (f.area.y >= area.y || f.area.right() <= area.x || f.area.x >= area.right()) continue;
        const int lowest = f.text.bottom() - 1;
        std::printf("\"%s\": ink rows %d to %d, rule from row %d\n", f.control->text.c_str(),
                    f.text.y, lowest, rows[0]);
        if (lowest >= rows[0]) fail("the rule crosses \"" + f.control->text + "\"");
        for (int y = f.text.y; y <= lowest; ++y) {
            for (int x = area.x; x < area.right(); ++x) {
                bool inControl = false;
                for (const Found& g : texts)
                    inControl = inControl || g.area.contains(x, y);
                if (!inControl && shot.at(x, y) == shot.at(area.x, rows[0])) {
                    fail("rule pixels in the rows of \"" + f.control->text + "\"");
                    return;
                }
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tev-test-dialog-look SHOT.png TEXT-PIXELS\n");
        return 2;
    }
    const int textSize = std::atoi(argv[2]);
    tev::png::Image image;
    std::string error;
    if (!tev::png::readRgba(argv[1], image, &error)) {
        std::fprintf(stderr, "tev-test-dialog-look: %s\n", error.c_str());
        return 2;
    }
    Picture shot{image.width, image.height, {}};
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        shot.pixels.push_back(static_cast<uint32_t>(image.rgba[i] << 16 | image.rgba[i + 1] << 8 |
                                                    image.rgba[i + 2]));
    }
    fl_open_display();

    // The dialog's base units at this text size, as dialogs define them.
    fl_font(FL_HELVETICA, textSize);
    const int average =
        static_cast<int>(fl_width("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const Layout layout{(average / 26 + 1) / 2, fl_height()};
    const auto& dialog = tev::setupDialogTemplate();
    const int width = tev::platform::dialogUnitsToPixelsX(dialog.width, layout.baseWidth);
    const int height = tev::platform::dialogUnitsToPixelsY(dialog.height, layout.baseHeight);
    std::printf("text %d px, base units %d x %d: the dialog is %d x %d, the shot %d x %d\n",
                textSize, layout.baseWidth, layout.baseHeight, width, height, shot.width,
                shot.height);
    if (shot.width != width || shot.height != height) {
        fail("the dialog is not drawn with " + std::to_string(textSize) + "-pixel text");
        return 1;
    }

    std::vector<Found> texts;
    for (const ControlTemplate& c : dialog.controls) {
        if (!hasText(c)) continue;
        const Box area = layout.pixels(c);
        const Picture alone = renderAlone(c.text, textSize);
        const auto text = find(shot, alone, area);
        if (!text) {
            fail("\"" + c.text + "\" is not drawn whole inside its control");
            continue;
        }
        std::printf("\"%s\": whole at %d,%d (%d x %d) inside %d,%d (%d x %d)\n", c.text.c_str(),
                    text->x, text->y, text->w, text->h, area.x, area.y, area.w, area.h);
        texts.push_back({&c, area, *text});
        if (c.kind == ControlKind::CheckBox || c.kind == ControlKind::RadioButton) {
            checkMarkSide(shot, c, area, *text);
        } else if (c.kind == ControlKind::DefaultButton) {
            checkDefaultButton(shot, c, area, *text);
        } else {
            checkPlainButton(shot, c, area);
        }
    }
    for (const ControlTemplate& c : dialog.controls) {
        if (c.kind == ControlKind::GroupBox && c.text.empty()) {
            checkRule(shot, layout.pixels(c), layout, texts);
        }
    }
    return failures == 0 ? 0 : 1;
}
