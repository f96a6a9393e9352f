// The name list's rows, each with a small swatch of its colour before the
// name. Only the drawing changes: a row keeps its text, its height and
// everything the list does with it.
#pragma once

class TListBox;

/// Gives the list, whose rows are NamedColors rows, its colour chips.
void GiveColorChips(TListBox *list);
