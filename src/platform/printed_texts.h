// What the window shows where, shared by both backends: the steps of
// printing a text and the rules for printing it again at the same place.
// Box is the backend's rectangle.
#pragma once

#include "platform/font_cache.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

template <typename Box>
struct PrintedTexts {
    // Box of the last text printed at each position. A text printed again at
    // the same place first clears the old box: the program erases a label by
    // printing blanks there, and in a proportional font its blanks can be
    // narrower than the label they replace.
    std::vector<std::pair<std::pair<int, int>, Box>> lastBoxes;
    // The text last printed at each place, with its font. The same text
    // printed there again changes no pixel, and the poll prints the unchanged
    // frequency ten times a second: rendering and showing it each time cost
    // more than all the rest of the program while it only polls. A print
    // elsewhere that touches its box makes it count as changed.
    struct Printed {
        int x, y;
        FontChoice font;
        std::string text;
        Box box;
    };
    std::vector<Printed> printed;

    void clear() {
        lastBoxes.clear();
        printed.clear();
    }

    // Prints text at x,y in font through the backend's pen, unless it
    // already stands there:
    //   pen.render()            readies the text in the current font and
    //                           gives its box; none without a usable font
    //   pen.clear(box)          paints box white
    //   pen.draw(where)         puts the readied text there (and may cut
    //                           where down to what it drew)
    //   pen.show(where, cleared) has the window show both boxes anew
    //   pen.overlaps(one, other) whether two boxes touch
    template <typename Pen>
    void print(int x, int y, const std::string& text, const FontChoice& font, Pen& pen) {
        if (text.empty() || shown(x, y, text, font)) return;
        const std::optional<Box> box = pen.render();
        if (!box) return;
        Box where = *box;
        const std::optional<Box> last = swapLastBox(x, y, where);
        const Box cleared = last ? *last : where;
        if (last) pen.clear(cleared);
        pen.draw(where);
        pen.show(where, cleared);
        record(x, y, font, text, where, cleared, pen);
    }

private:
    // True when this text in this font already stands at x,y.
    bool shown(int x, int y, const std::string& text, const FontChoice& font) const {
        for (const Printed& p : printed)
            if (p.x == x && p.y == y && p.text == text && p.font == font)
                return true;
        return false;
    }

    // Makes where the box of position x,y and gives the box printed there
    // before, which the caller clears; none the first time.
    std::optional<Box> swapLastBox(int x, int y, const Box& where) {
        for (auto& [at, box] : lastBoxes)
            if (at.first == x && at.second == y) {
                const Box old = box;
                box = where;
                return old;
            }
        lastBoxes.push_back({{x, y}, where});
        return std::nullopt;
    }

    // Notes the text now at x,y; texts elsewhere whose box the new text or
    // the cleared box touches no longer count as shown.
    template <typename Pen>
    void record(int x, int y, const FontChoice& font, const std::string& text, const Box& where,
                const Box& cleared, Pen& pen) {
        Printed* here = nullptr;
        for (Printed& p : printed) {
            if (p.x == x && p.y == y)
                here = &p;
            else if (pen.overlaps(p.box, where) || pen.overlaps(p.box, cleared))
                p.text.clear();
        }
        if (!here) {
            printed.push_back({x, y, {}, "", where});
            here = &printed.back();
        }
        *here = {x, y, font, text, where};
    }
};
