#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into an orderly end of the event loop, so that a show stopped
// from outside (a kiosk's service manager, Ctrl+C in a terminal) still removes its working folder.
class QuitOnSignal : public QObject {
    Q_OBJECT
public:
    explicit QuitOnSignal(QObject* parent = nullptr);
    ~QuitOnSignal() override;

private:
    static void handler(int signal);
    static int fds_[2];
    QSocketNotifier* notifier_ = nullptr;
};
