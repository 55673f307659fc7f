#pragma once

class AudioEngine;
class UserMessages;

// The editor with its windows, until its main window is closed; returns the exit code.
int runEditor(UserMessages& messages, AudioEngine& engine);
