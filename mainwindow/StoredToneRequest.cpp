#include "mainwindow/StoredToneRequest.h"

#include "tone/NumberText.h"
#include "settings/SettingsKeys.h"

QString storedCarrier(Doppler::Band band)
{
    switch (band) {
    case Doppler::Band::X: return Settings::readEntry(Settings::XFreq, Doppler::XCarriers);
    case Doppler::Band::K: return Settings::readEntry(Settings::KFreq, Doppler::KCarriers);
    case Doppler::Band::Ka: return Settings::read(Settings::KaFreq);
    case Doppler::Band::Ku: return NumberText::fromDouble(Doppler::KuCarrierGHz);
    }
    return {};
}

ToneRequest withStoredSettings(ToneRequest request)
{
    request.carrier = request.band ? storedCarrier(*request.band) : QString();
    request.milesPerHour = Settings::unitIsMph(Settings::read(Settings::Unit));
    request.bytesPerCycle = Settings::read(Settings::Accuracy);
    return request;
}
