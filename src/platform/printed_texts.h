// What the window shows where, shared by both backends: the rules for
// printing a text again at the same place. Box is the backend's rectangle.
#pragma once

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
        std::string face;
        int points, weight;
        std::string text;
        Box box;
    };
    std::vector<Printed> printed;

    void clear() {
        lastBoxes.clear();
        printed.clear();
    }

    // True when this text in this font already stands at x,y.
    bool shown(int x, int y, const std::string& text, const std::string& face, int points,
               int weight) const {
        for (const Printed& p : printed)
            if (p.x == x && p.y == y && p.text == text && p.face == face && p.points == points &&
                p.weight == weight)
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
    template <typename Overlaps>
    void record(int x, int y, const std::string& face, int points, int weight, const std::string& text,
                const Box& where, const Box& cleared, Overlaps overlaps) {
        Printed* here = nullptr;
        for (Printed& p : printed) {
            if (p.x == x && p.y == y)
                here = &p;
            else if (overlaps(p.box, where) || overlaps(p.box, cleared))
                p.text.clear();
        }
        if (!here) {
            printed.push_back({x, y, "", 0, 0, "", where});
            here = &printed.back();
        }
        *here = {x, y, face, points, weight, text, where};
    }
};
