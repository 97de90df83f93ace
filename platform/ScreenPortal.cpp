// The desktop portal's screen cast (org.freedesktop.portal.ScreenCast) on
// the session bus: create a session, select one monitor without the
// pointer, to be remembered (persist mode 2, the restore token kept in the
// user's configuration folder and offered next time), start it, open the
// PipeWire remote and watch the monitor's video node. Every step is
// asynchronous on the GUI thread; frames meanwhile count as "asking".
// A refusal, and a session the desktop closes (the user stopped sharing),
// hold until the portal restarts; any other failure, and a stream that
// ends, is tried again a few seconds later.
#include <fcntl.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusUnixFileDescriptor>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>
#include <memory>

#include "platform/ScreenCapture.h"
#include "platform/ScreenPipeWire.h"

namespace platform {

namespace portal_detail {

const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString ScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");
const QString Request = QStringLiteral("org.freedesktop.portal.Request");
const QString Session = QStringLiteral("org.freedesktop.portal.Session");
constexpr int RetryMilliseconds = 3000;
constexpr uint MonitorSource = 1, HiddenCursor = 1, PersistUntilRevoked = 2;
constexpr uint Refused = 1;

QString restoreTokenFile() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/screen-cast-restore-token");
}

QString readRestoreToken() {
    QFile file(restoreTokenFile());
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).trimmed();
}

void writeRestoreToken(const QString& token) {
    const QString path = restoreTokenFile();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(token.toUtf8());
        file.commit();
    }
}

class PortalSession : public QObject {
    Q_OBJECT

public:
    PortalSession();
    ~PortalSession() override;
    ScreenAccess grab(int regionX, int regionY, tx::ScreenPicture& picture);
    // The newest frame of the monitor, whole; false without one.
    bool grabWhole(core::ScreenImage& image);

private slots:
    void onResponse(uint code, const QVariantMap& results);
    void onSessionClosed(const QVariantMap& details);

private:
    enum class Step { Idle, Creating, Selecting, Starting, Opening, Streaming, Refused, Failed };
    void begin();
    void request(const QString& method, QList<QVariant> arguments, QVariantMap options, Step next);
    void listen(const QString& path);
    void forgetRequest();
    void selectSources();
    void startCast();
    void openRemote(uint nodeId);
    void fail(bool refused);
    void closeSession();

    QDBusConnection bus_ = QDBusConnection::sessionBus();
    Step step_ = Step::Idle;
    QString requestPath_;
    QString sessionPath_;
    static inline int tokens_ = 0;  // never reused by this process
    std::unique_ptr<PipeWireScreen> screen_;
    QTimer retry_;
    QDBusServiceWatcher watcher_;
};

PortalSession::PortalSession()
    : watcher_(PortalService, QDBusConnection::sessionBus(),
               QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration) {
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, [this] {
        if (step_ == Step::Failed) begin();
    });
    // A portal that starts (again) gets asked afresh, even after a refusal.
    connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        if (step_ == Step::Refused || step_ == Step::Failed) begin();
    });
    // A portal that goes away answers no pending request.
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        if (step_ != Step::Streaming && step_ != Step::Refused && step_ != Step::Failed &&
            step_ != Step::Idle)
            fail(false);
    });
}

PortalSession::~PortalSession() {
    forgetRequest();
    screen_.reset();
    closeSession();
}

ScreenAccess PortalSession::grab(int regionX, int regionY, tx::ScreenPicture& picture) {
    if (step_ == Step::Idle) begin();
    if (step_ == Step::Streaming) {
        if (screen_->ended()) {
            fail(false);
            return ScreenAccess::None;
        }
        return screen_->cutRegion(regionX, regionY, picture) ? ScreenAccess::Granted
                                                              : ScreenAccess::Asking;
    }
    return step_ == Step::Refused || step_ == Step::Failed ? ScreenAccess::None : ScreenAccess::Asking;
}

bool PortalSession::grabWhole(core::ScreenImage& image) {
    int width = 0, height = 0;
    if (step_ != Step::Streaming || screen_->ended() || !screen_->frameSize(width, height) ||
        width <= 0 || height <= 0)
        return false;
    // Cut in pictures' worth, as the transmitter cuts its region: the same
    // pixels, whatever the stream's layout.
    image = core::ScreenImage{0, 0, width, height,
                              std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
    for (int top = 0; top < height; top += tx::PictureRows)
        for (int left = 0; left < width; left += tx::PictureColumns) {
            tx::ScreenPicture tile;
            if (!screen_->cutRegion(left, top, tile)) return false;
            for (int row = 0; row < tx::PictureRows && top + row < height; ++row)
                for (int column = 0; column < tx::PictureColumns && left + column < width; ++column)
                    image.pixels[static_cast<std::size_t>(top + row) * width + left + column] =
                        argbOfWord(tx::pictureWord(tile, tx::PictureRows - 1 - row, column));
        }
    return true;
}

void PortalSession::begin() {
    forgetRequest();
    screen_.reset();
    closeSession();
    if (!bus_.isConnected()) {
        fail(false);
        return;
    }
    QVariantMap options;
    options.insert(QStringLiteral("session_handle_token"), QStringLiteral("nbtv%1").arg(++tokens_));
    request(QStringLiteral("CreateSession"), {}, options, Step::Creating);
}

// Calls a method that answers through a request object: the answer's
// signal is listened for on the path the portal will use before the call
// goes out, so that no answer can be missed.
void PortalSession::request(const QString& method, QList<QVariant> arguments, QVariantMap options,
                            Step next) {
    const QString token = QStringLiteral("nbtv%1").arg(++tokens_);
    options.insert(QStringLiteral("handle_token"), token);
    QString sender = bus_.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    listen(PortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token);
    step_ = next;

    QDBusMessage call = QDBusMessage::createMethodCall(PortalService, PortalPath, ScreenCast, method);
    arguments.append(options);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, next](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (step_ != next) return;  // overtaken
        QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            fail(false);
            return;
        }
        // Older portals choose their own path.
        if (reply.value().path() != requestPath_) listen(reply.value().path());
    });
}

void PortalSession::listen(const QString& path) {
    forgetRequest();
    requestPath_ = path;
    bus_.connect(PortalService, path, Request, QStringLiteral("Response"), this,
                 SLOT(onResponse(uint, QVariantMap)));
}

void PortalSession::forgetRequest() {
    if (requestPath_.isEmpty()) return;
    bus_.disconnect(PortalService, requestPath_, Request, QStringLiteral("Response"), this,
                    SLOT(onResponse(uint, QVariantMap)));
    requestPath_.clear();
}

void PortalSession::onResponse(uint code, const QVariantMap& results) {
    forgetRequest();
    if (code != 0) {
        fail(code == Refused);
        return;
    }
    switch (step_) {
        case Step::Creating: {
            const QVariant handle = results.value(QStringLiteral("session_handle"));
            sessionPath_ = handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                                : handle.toString();
            if (sessionPath_.isEmpty()) {
                fail(false);
                return;
            }
            bus_.connect(PortalService, sessionPath_, Session, QStringLiteral("Closed"), this,
                         SLOT(onSessionClosed(QVariantMap)));
            selectSources();
            break;
        }
        case Step::Selecting: startCast(); break;
        case Step::Starting: {
            const QString token = results.value(QStringLiteral("restore_token")).toString();
            if (!token.isEmpty()) writeRestoreToken(token);
            uint node = 0;
            bool found = false;
            const QVariant streams = results.value(QStringLiteral("streams"));
            if (streams.canConvert<QDBusArgument>()) {
                const QDBusArgument list = streams.value<QDBusArgument>();
                list.beginArray();
                while (!list.atEnd()) {
                    uint id = 0;
                    QVariantMap properties;
                    list.beginStructure();
                    list >> id >> properties;
                    list.endStructure();
                    if (!found) node = id;
                    found = true;
                }
                list.endArray();
            }
            if (!found) {
                fail(false);
                return;
            }
            openRemote(node);
            break;
        }
        default: break;
    }
}

void PortalSession::selectSources() {
    QVariantMap options;
    options.insert(QStringLiteral("types"), QVariant::fromValue(MonitorSource));
    options.insert(QStringLiteral("multiple"), false);
    options.insert(QStringLiteral("cursor_mode"), QVariant::fromValue(HiddenCursor));
    options.insert(QStringLiteral("persist_mode"), QVariant::fromValue(PersistUntilRevoked));
    const QString token = readRestoreToken();
    if (!token.isEmpty()) options.insert(QStringLiteral("restore_token"), token);
    request(QStringLiteral("SelectSources"), {QVariant::fromValue(QDBusObjectPath(sessionPath_))},
            options, Step::Selecting);
}

void PortalSession::startCast() {
    request(QStringLiteral("Start"),
            {QVariant::fromValue(QDBusObjectPath(sessionPath_)), QString()}, {}, Step::Starting);
}

void PortalSession::openRemote(uint nodeId) {
    step_ = Step::Opening;
    QDBusMessage call = QDBusMessage::createMethodCall(PortalService, PortalPath, ScreenCast,
                                                       QStringLiteral("OpenPipeWireRemote"));
    call.setArguments({QVariant::fromValue(QDBusObjectPath(sessionPath_)), QVariantMap()});
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, nodeId](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (step_ != Step::Opening) return;
        QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
        const int fd = reply.isError() || !reply.value().isValid()
                           ? -1
                           : fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 3);
        if (fd >= 0) screen_ = PipeWireScreen::open(fd, nodeId);
        if (screen_ == nullptr) {
            fail(false);
            return;
        }
        step_ = Step::Streaming;
    });
}

// The desktop closes the session when the user stops the sharing: that is
// taken as a refusal, not asked again behind the user's back.
void PortalSession::onSessionClosed(const QVariantMap&) {
    sessionPath_.clear();  // closed already: nothing to close
    fail(true);
}

void PortalSession::fail(bool refused) {
    forgetRequest();
    screen_.reset();
    closeSession();
    step_ = refused ? Step::Refused : Step::Failed;
    if (!refused) retry_.start(RetryMilliseconds);
}

void PortalSession::closeSession() {
    if (sessionPath_.isEmpty()) return;
    bus_.disconnect(PortalService, sessionPath_, Session, QStringLiteral("Closed"), this,
                    SLOT(onSessionClosed(QVariantMap)));
    if (bus_.isConnected())
        bus_.send(QDBusMessage::createMethodCall(PortalService, sessionPath_, Session,
                                                 QStringLiteral("Close")));
    sessionPath_.clear();
}

PortalSession* session = nullptr;

}  // namespace portal_detail

ScreenAccess grabPortalRegion(int regionX, int regionY, tx::ScreenPicture& picture) {
    using portal_detail::session;
    if (session == nullptr) session = new portal_detail::PortalSession();
    return session->grab(regionX, regionY, picture);
}

bool grabPortalScreen(core::ScreenImage& image) {
    return portal_detail::session != nullptr && portal_detail::session->grabWhole(image);
}

void stopPortalCapture() {
    delete portal_detail::session;
    portal_detail::session = nullptr;
}

}  // namespace platform

#include "ScreenPortal.moc"
