// The list as a one-column table of its names, for assistive technologies.
#pragma once

class QAccessibleInterface;
class TListBox;

QAccessibleInterface *CreateListBoxAccessible(TListBox *list);
