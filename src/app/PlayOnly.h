#pragma once

#include <QString>

class AudioEngine;
class UserMessages;

// Plays one show file in the show window and returns when the show ends, is stopped or its
// window is closed: 0 then, 1 when the show could not be opened (the user has been told why),
// 128 + the signal's number when a termination signal ended it.
// The show is unpacked into a working folder of its own, removed afterwards.
int playShowFile(const QString& path, UserMessages& messages, AudioEngine& engine);
