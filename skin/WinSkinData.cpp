// The skin component: its colours, its stored stream and its life (loading, activation,
// replacing the skin at run time). Reading the description is in SkinDescription.cpp.
#include "WinSkinData.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPalette>
#include <QWidget>
#include <algorithm>
#include <charconv>
#include <cstdio>

#include "IniFile.h"
#include "SkinManage.h"
#include "SkinReader.h"

namespace {

const QString kOlderSkinMessage =
    QStringLiteral("This is Older Skin File\rPlease update to new version !");

void showMessageBox(const QString& text) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        std::fprintf(stderr, "%s\n", qPrintable(QString(text).replace('\r', '\n')));
        return;
    }
    // The text breaks its line with a carriage return; a message box breaks on a line feed.
    QMessageBox box(QMessageBox::Warning, QGuiApplication::applicationDisplayName(),
                    QString(text).replace('\r', '\n'), QMessageBox::Ok);
    box.exec();
}

constexpr qint64 kMaxSkinFileSize = qint64(512) << 20;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Stores the number text into the component, unless it does not convert.
void storeComponent(std::string_view digits, std::uint32_t& component) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (!digits.empty() && error == std::errc() && end == digits.data() + digits.size())
        component = value;
}

}  // namespace

std::function<void(const QString&)> TSkinData::showMessage = showMessageBox;

QColor systemColour(SystemColour role) {
    const QPalette p = QApplication::palette();
    switch (role) {
        case SystemColour::ButtonFace:
            return p.color(QPalette::Button);
        case SystemColour::Scrollbar:
            return p.color(QPalette::Button);
        case SystemColour::HighlightText:
            return p.color(QPalette::HighlightedText);
        case SystemColour::Highlight:
            return p.color(QPalette::Highlight);
        case SystemColour::Menu:
            return p.color(QPalette::Window);
        case SystemColour::MenuText:
            return p.color(QPalette::WindowText);
        case SystemColour::ButtonText:
            return p.color(QPalette::ButtonText);
        case SystemColour::ButtonHighlight:
            return p.color(QPalette::Light);
        case SystemColour::ButtonShadow:
            return p.color(QPalette::Dark);
        case SystemColour::CaptionText:
            return p.color(QPalette::HighlightedText);
        case SystemColour::InactiveCaptionText:
            return p.color(QPalette::PlaceholderText);
        case SystemColour::WindowText:
            return p.color(QPalette::WindowText);
    }
    return Qt::black;
}

QColor SkinColour::colour() const {
    return isSystem ? systemColour(system) : colourFromValue(value);
}

std::uint32_t ParseColour(std::string_view text, std::uint32_t defaultValue) {
    if (text.empty()) return defaultValue;
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    std::uint32_t components[3] = {0, 0, 0};
    int k = 1;  // the component the next number goes to
    std::size_t numberStart = 0;
    std::size_t numberLength = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (isDigit(text[i])) {
            if (numberLength == 0) numberStart = i;
            ++numberLength;
            continue;
        }
        // Every separator moves on to the next component, so a doubled one skips a component.
        if (numberLength > 0 && k <= 3)
            storeComponent(text.substr(numberStart, numberLength), components[k - 1]);
        ++k;
        numberLength = 0;
    }
    if (k == 3) storeComponent(text.substr(numberStart, numberLength), components[2]);
    return (components[0] % 256) | (components[1] % 256) << 8 | (components[2] % 256) << 16;
}

TSkinData::TSkinData(QWidget* ownerForm) : m_ownerForm(ownerForm) {
    Title.Name = "Title";
    Buttons.Name = "Buttons";
    const char* const borderNames[4] = {"Left", "Right", "Top", "Bottom"};
    for (int i = 0; i < 4; ++i)
        Borders[i].Name = borderNames[i];
    TSkinManage::instance().addSkin(this);
}

TSkinData::~TSkinData() {
    if (TSkinManage::exists()) TSkinManage::instance().removeSkin(this);
}

void TSkinData::SetActive(bool v) {
    m_active = v;
    if (m_reading || m_formType != sfMainform || (v && m_loading == 1)) return;
    requestState(v ? 1 : 2);
}

void TSkinData::Loaded() {
    m_reading = false;
    if (m_active) SetActive(m_loading == 0);
}

void TSkinData::SetSkinFile(const QString& fileName) {
    m_skinFile = fileName;
    // A name that is not a readable file changes nothing else: the skin in use stays loaded.
    const QFileInfo info(fileName);
    // Nothing this large can be a skin (the decoder stops at 256 MiB of content).
    if (fileName.isEmpty() || !info.isFile() || info.size() > kMaxSkinFileSize) return;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return;

    std::vector<std::uint8_t> previous = std::move(m_stream);
    const int previousLoading = m_loading;
    m_stream.assign(bytes.begin(), bytes.end());
    LoadSkinStream();
    if (m_loading != 0) {
        // Not a skin we can read: keep the one we have, so that it is also what is written
        // back and what the windows keep showing.
        m_stream = std::move(previous);
        m_loading = previousLoading;
        return;
    }
    if (!m_reading && m_formType == sfMainform && m_active) requestState(3);
}

void TSkinData::ReadSkinStream(std::span<const std::uint8_t> stored) {
    if (stored.size() < 4) return;
    const std::int32_t count =
        std::int32_t(std::uint32_t(stored[0]) | std::uint32_t(stored[1]) << 8 |
                     std::uint32_t(stored[2]) << 16 | std::uint32_t(stored[3]) << 24);
    if (count <= 0) return;
    // A count beyond the bytes stored means the stored data is damaged; a skin cut short
    // would be read as if its missing bytes were zeros, so nothing is loaded from it.
    if (std::size_t(count) > stored.size() - 4) return;
    m_stream.assign(stored.begin() + 4, stored.begin() + 4 + count);
    LoadSkinStream();
}

std::vector<std::uint8_t> TSkinData::WriteSkinStream() const {
    const auto count = std::uint32_t(m_stream.size());
    std::vector<std::uint8_t> out;
    out.reserve(4 + m_stream.size());
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(std::uint8_t(count >> shift));
    out.insert(out.end(), m_stream.begin(), m_stream.end());
    return out;
}

void TSkinData::problem(SkinProblem::Severity severity, std::string text) {
    m_problems.push_back({severity, std::move(text)});
}

void TSkinData::LoadSkinStream() {
    m_loading = 1;
    m_problems.clear();
    TSkinReader reader;
    switch (reader.OpenSkin(m_stream)) {
        case TSkinReader::OpenResult::ok:
            break;
        case TSkinReader::OpenResult::olderVersion:
            problem(SkinProblem::error, "an older skin file: " + reader.errorText());
            if (showMessage) showMessage(kOlderSkinMessage);
            return;
        case TSkinReader::OpenResult::damaged:
            problem(SkinProblem::error, "not a skin file or damaged: " + reader.errorText());
            return;
    }
    std::vector<std::uint8_t> description;
    std::string name;
    // Without a description the skin still loads, every part at its default: no frame, no
    // images; nobody means that.
    if (!reader.FindFile(".ini", description, name))
        problem(SkinProblem::error, "the skin holds no description (an entry named *.ini)");
    const TIniFile ini = TIniFile::FromText(
        std::string_view(reinterpret_cast<const char*>(description.data()), description.size()));
    ReadSkinIni(ini, reader);
}

QMargins SkinFrameSizes(const TSkinData& skin) {
    auto size = [](const TDataSkinBorder& strip, bool vertical) {
        if (strip.Image.isNull()) return 0;
        const int frames = std::max(1, strip.FrameCount);
        return vertical ? strip.Image.height() / frames : strip.Image.width() / frames;
    };
    const auto& borders = skin.Borders;
    return {size(borders[TSkinData::bdLeft], false), size(borders[TSkinData::bdTop], true),
            size(borders[TSkinData::bdRight], false), size(borders[TSkinData::bdBottom], true)};
}

bool TSkinData::GetColour(int index, QColor& colour) const {
    if (index < 0 || index >= int(ColourTable.size())) return false;
    colour = ColourTable[std::size_t(index)].colour();
    return true;
}

void TSkinData::requestState(int state) {
    TSkinManage::instance().SetSkinState(state);
}
