#pragma once

class QAbstractItemView;

// Enter or Return on the view's current row acts like a double-click on it,
// so the keyboard reaches whatever the mouse reaches. The key is consumed:
// it never falls through to the dialog's default button.
void activateRowsOnEnter(QAbstractItemView *view);
