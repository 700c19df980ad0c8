#include "SkinManage.h"

#include <QWidget>

#include "WinSkinData.h"

namespace {
std::unique_ptr<TSkinManage>& managerSlot() {
    static std::unique_ptr<TSkinManage> manager;
    return manager;
}
}  // namespace

TSkinManage::TSkinManage() = default;

TSkinManage& TSkinManage::instance() {
    auto& slot = managerSlot();
    if (!slot) slot.reset(new TSkinManage());
    return *slot;
}

bool TSkinManage::exists() { return managerSlot() != nullptr; }

void TSkinManage::addSkin(TSkinData* skin) { m_skins.push_back(skin); }

void TSkinManage::removeSkin(TSkinData* skin) { std::erase(m_skins, skin); }

void TSkinManage::SetSkinState(int state) {
    m_requestedState = state;
    if (state == 1) m_active = true;
    if (state == 2) m_active = false;
}

TSkinData* TSkinManage::skinFor(QWidget* window) const {
    TSkinData* chosen = nullptr;
    for (TSkinData* skin : m_skins)
        if (skin->SkinFormtype() == sfOnlyThisForm && skin->ownerForm() == window) chosen = skin;
    if (chosen) return chosen;
    const bool dialog = window && (window->inherits("QMessageBox") || window->inherits("QFileDialog") ||
                                   window->inherits("QInputDialog"));
    if (dialog)
        for (TSkinData* skin : m_skins)
            if (skin->SkinFormtype() == sfDialog) chosen = skin;
    if (chosen) return chosen;
    for (TSkinData* skin : m_skins)
        if (skin->SkinFormtype() == sfMainform) chosen = skin;
    if (chosen) return chosen;
    return m_skins.empty() ? nullptr : m_skins.front();
}
