#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

namespace vx::app::test {

// Takes the pages the desktop is asked to open, in place of a browser.
class TUrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> Urls;
public slots:
    void Open(const QUrl& url) { Urls << url; }
};

} // namespace vx::app::test
