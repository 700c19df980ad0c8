// Placeholder parts of the loaded skin, so the rest of the engine links while it is written.
#include "WinSkinData.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

#include "SkinManage.h"

std::function<void(const QString&)> TSkinData::showMessage;

QColor systemColour(SystemColour role) {
    const QPalette p = QApplication::palette();
    switch (role) {
        case SystemColour::ButtonFace: return p.color(QPalette::Button);
        case SystemColour::Scrollbar: return p.color(QPalette::Button);
        case SystemColour::HighlightText: return p.color(QPalette::HighlightedText);
        case SystemColour::Highlight: return p.color(QPalette::Highlight);
        case SystemColour::Menu: return p.color(QPalette::Window);
        case SystemColour::MenuText: return p.color(QPalette::WindowText);
        case SystemColour::ButtonText: return p.color(QPalette::ButtonText);
        case SystemColour::ButtonHighlight: return p.color(QPalette::Light);
        case SystemColour::ButtonShadow: return p.color(QPalette::Dark);
        case SystemColour::CaptionText: return p.color(QPalette::HighlightedText);
        case SystemColour::InactiveCaptionText: return p.color(QPalette::PlaceholderText);
        case SystemColour::WindowText: return p.color(QPalette::WindowText);
    }
    return Qt::black;
}

QColor SkinColour::colour() const { return isSystem ? systemColour(system) : colourFromValue(value); }

std::uint32_t ParseColour(std::string_view, std::uint32_t defaultValue) { return defaultValue; }

TSkinData::TSkinData(QWidget* ownerForm) : m_ownerForm(ownerForm) {
    TSkinManage::instance().addSkin(this);
}
TSkinData::~TSkinData() { TSkinManage::instance().removeSkin(this); }

void TSkinData::SetActive(bool v) {
    m_active = v;
    if (m_reading || m_formType != sfMainform || (v && m_loading == 1)) return;
    TSkinManage::instance().SetSkinState(v ? 1 : 2);
}
void TSkinData::SetSkinFile(const QString& fileName) { m_skinFile = fileName; }
void TSkinData::ReadSkinStream(std::span<const std::uint8_t>) {}
std::vector<std::uint8_t> TSkinData::WriteSkinStream() const { return {0, 0, 0, 0}; }
void TSkinData::Loaded() {
    m_reading = false;
    if (m_active) SetActive(m_loading == 0);
}
void TSkinData::LoadSkinStream() {}
bool TSkinData::GetColour(int index, QColor& colour) const {
    if (index < 0 || index >= int(ColourTable.size())) return false;
    colour = ColourTable[std::size_t(index)].colour();
    return true;
}
void TSkinData::ReadSkinIni(const TIniFile&, const TSkinReader&) {}
void TSkinData::requestState(int) {}
