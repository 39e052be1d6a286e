// Folders and manifests dropped onto mlshow, as a file manager passes one
// alone on the command line: the same rows for the native command-line test
// and for mlshow.exe under Wine. Portable.
#pragma once

// The files the rows drop, by path (UTF-8) under the test's folder: photos
// (JPEG files the test makes) and text files of the contents given.
struct DROPFILE {
    const char *path;
    const char *text;  // null: a photo
};
inline const DROPFILE kDropFiles[] = {
    {u8"Fotos Caf\u00e9 \u03a9/\u65e5\u672c.jpg", nullptr},
    {u8"Fotos Caf\u00e9 \u03a9/b.JPG", nullptr},
    {"Empty/notes.txt", "no pictures here"},
    {"garden/show.toml", "[show]\ntitle = \"Garden: Spring\"\n[[item]]\ntype = \"text\"\nmessage = \"hi\"\n"},
};

// What is dropped (a folder with a trailing separator too), the exit
// status, what mlshow says, the show it makes beside what was dropped (null
// for none) and the blocks the player's loader holds of it (the header and
// the items).
struct DROPCASE {
    const char *dropped;
    int status;
    const char *says;
    const char *made;
    int blocks;
};
inline const DROPCASE kDropCases[] = {
    {u8"Fotos Caf\u00e9 \u03a9/", 0, u8"right-click Fotos Caf\u00e9 \u03a9.scr and choose Install",
     u8"Fotos Caf\u00e9 \u03a9.scr", 3},
    {"garden/show.toml", 0, "Made the screen saver Garden_ Spring.scr", "garden/Garden_ Spring.scr", 2},
    {"Empty", 1, "holds no pictures (.jpg, .jpeg, .png, .bmp or .gif files): put the photos", nullptr, 0},
    {"Empty/notes.txt", 2, "is neither a folder nor a show's .toml manifest", nullptr, 0},
};
