#pragma once

#include <QString>

// Where long file operations report how far they are: a title such as "Saving:  holiday.cjf"
// and a percentage from 0 to 100. finish() ends the report (the window hides).
class ProgressReport {
public:
    virtual ~ProgressReport() = default;
    virtual void report(const QString& title, int percent) = 0;
    virtual void finish() = 0;
};

class NoProgress : public ProgressReport {
public:
    void report(const QString&, int) override {}
    void finish() override {}
};

// Percentage after entry index (0-based) of count entries, halves rounded up.
inline int progressPercent(qsizetype index, qsizetype count) {
    if (count <= 1)
        return 100;
    return static_cast<int>(static_cast<double>(index) * 100.0 / static_cast<double>(count - 1) + 0.5);
}
