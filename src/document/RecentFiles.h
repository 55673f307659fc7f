#pragma once

// The shows opened or saved last, newest first, kept in the user's settings between runs.

#include <QString>
#include <QStringList>

class QSettings;

class RecentFiles {
public:
    static constexpr int kMaxEntries = 6;

    // settings: where the list lives (under the key "recentFiles"); it must outlive this object.
    explicit RecentFiles(QSettings& settings);

    // Reads the list and drops every entry whose file is gone. A list that cannot be read is
    // empty; nothing is said.
    void load();
    // Puts path at the top (moving it there when it is already listed), keeps six and saves.
    // Paths are compared exactly: on this system Show.cjf and show.cjf are two files.
    void add(const QString& path);
    void remove(const QString& path);
    const QStringList& entries() const { return entries_; }

private:
    void save();

    QSettings& settings_;
    QStringList entries_;
};
