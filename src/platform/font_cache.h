// The fonts a window backend has opened, shared by both backends: one per
// face (letter case ignored), size and weight, a face that would not open
// remembered as such, and the default font standing in for a choice that
// cannot be had. Font is the backend's font handle, null when not opened.
#pragma once

#include <cctype>
#include <string>
#include <vector>

// A font as the program names it; points 0 means the backend's default font.
struct FontChoice {
    std::string face;
    int points = 0;
    int weight = 0;  // 100..900

    bool operator==(const FontChoice&) const = default;
};

// The face as fonts are told apart: lower case.
inline std::string faceKey(std::string face) {
    for (char& c : face) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return face;
}

template <typename Font>
struct FontCache {
    struct Cached {
        std::string face;  // faceKey
        int points = 0;
        int weight = 0;    // after rounding to the weights faces offer
        Font font{};       // null: could not be opened (not retried)
    };
    std::vector<Cached> fonts;
    FontChoice choice;  // the current font, set by platTextFont

    void choose(const std::string& face, int points, int weight) {
        choice = {face, points > 0 ? points : 0, weight};
    }

    // The font for face at points and weight; on first use open(face as
    // asked, points, rounded weight) opens it, null when it cannot.
    template <typename Open>
    Font find(const std::string& face, int points, int weight, Open open) {
        const std::string key = faceKey(face);
        // Faces offer regular and bold; below regular the regular face is
        // asked for, as thin faces are hard to read.
        const int rounded = weight >= 600 ? 700 : 400;
        for (const Cached& f : fonts)
            if (f.face == key && f.points == points && f.weight == rounded) return f.font;
        fonts.push_back({key, points, rounded, open(face, points, rounded)});
        return fonts.back().font;
    }

    // The chosen font, or the default one when none is chosen or the chosen
    // one cannot be opened; null when neither opens.
    template <typename Open>
    Font current(const FontChoice& fallback, Open open) {
        Font font{};
        if (choice.points > 0)
            font = find(choice.face.empty() ? fallback.face : choice.face, choice.points, choice.weight, open);
        if (!font) font = find(fallback.face, fallback.points, fallback.weight, open);
        return font;
    }

    template <typename Close>
    void closeAll(Close close) {
        for (Cached& f : fonts)
            if (f.font) close(f.font);
        fonts.clear();
    }
};
