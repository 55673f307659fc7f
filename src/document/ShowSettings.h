#pragma once

// The show-wide settings that live on the editor's option controls and travel in the combined
// file's header.
struct ShowSettings {
    int delay = 10;           // default seconds per slide, 3 to 90
    bool musicEnabled = true; // music tracks and slide sounds
    bool fitToWindow = true;  // pictures shrunk to the window
    bool autoAdvance = true;  // slides move on by themselves
    bool loop = true;         // the show starts again after its last slide

    bool operator==(const ShowSettings&) const = default;
};
