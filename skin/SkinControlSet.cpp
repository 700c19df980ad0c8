// Placeholder until the skinned controls exist.
#include "SkinControlSet.h"

#include <QMenu>

#include "SkinMenus.h"

class TSkinControl {};

SkinControlSet::SkinControlSet() = default;
SkinControlSet::~SkinControlSet() = default;
void SkinControlSet::attach(QWidget* window, TSkinData&, bool) { m_window = window; }
void SkinControlSet::detach(bool) { m_controls.clear(); }
void SkinControlSet::reapply() {}
void SkinControlSet::checkHover() {}
void SkinControlSet::setHotControl(TSkinControl* control) { m_hot = control; }
TSkinControl* SkinControlSet::controlFor(const QWidget*) const { return nullptr; }

void SkinPopupMenu(QMenu*, TSkinData&) {}
void UnskinPopupMenu(QMenu*) {}
bool IsPopupMenuSkinned(const QMenu*) { return false; }
