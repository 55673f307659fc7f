#pragma once

class AudioEngine;
class UserMessages;

#include <QString>

// The editor with its windows, until its main window is closed (or a signal ends the program);
// argument names a show to open once the editor is on screen. Returns the exit code.
int runEditor(UserMessages& messages, AudioEngine& engine, const QString& argument = QString());
