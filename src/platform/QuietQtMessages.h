#pragma once

// Command-line tools run on the offscreen platform, often without a desktop session: Qt then
// warns that XDG_RUNTIME_DIR is not set, which is noise to someone reading the tool's messages.
// This keeps every other Qt message as it is.
void quietenQtSessionWarnings();
