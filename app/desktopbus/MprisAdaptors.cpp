#include "MprisAdaptors.h"

#include "MprisService.h"

MprisRootAdaptor::MprisRootAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service), m_service(service) {}

void MprisRootAdaptor::Raise() {
    m_service.player().raise();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service), m_service(service) {}

QString MprisPlayerAdaptor::playbackStatus() {
    return m_service.playbackStatus();
}

QVariantMap MprisPlayerAdaptor::metadata() {
    return m_service.metadata();
}

bool MprisPlayerAdaptor::canStep() {
    return m_service.player().canStep();
}

// Each command is followed by a look at the player, so the caller hears of the change at once
// instead of on the owner's next timer tick.
void MprisPlayerAdaptor::PlayPause() {
    m_service.player().playPause();
    m_service.refresh();
}
void MprisPlayerAdaptor::Play() {
    m_service.player().play();
    m_service.refresh();
}
void MprisPlayerAdaptor::Pause() {
    m_service.player().pause();
    m_service.refresh();
}
void MprisPlayerAdaptor::Stop() {
    m_service.player().stop();
    m_service.refresh();
}
void MprisPlayerAdaptor::Next() {
    m_service.player().next();
    m_service.refresh();
}
void MprisPlayerAdaptor::Previous() {
    m_service.player().previous();
    m_service.refresh();
}
