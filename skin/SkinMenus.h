// Popup menus drawn from the skin: entries from the MenuItem image, the background from the
// MenuBackground image.
#pragma once

class QMenu;
class TSkinData;

// Skins a popup menu window (and, for program menus, its entries, recursively); undone by
// UnskinPopupMenu. Calling it again for a skinned menu changes nothing.
void SkinPopupMenu(QMenu* menu, TSkinData& skin);
void UnskinPopupMenu(QMenu* menu);
bool IsPopupMenuSkinned(const QMenu* menu);
