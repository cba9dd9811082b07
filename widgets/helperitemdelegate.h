#pragma once

#include "widgets/personitemdelegate.h"

// Display delegate of every recruit table, the twin of CustomersItemDelegate.
class HelperItemDelegate : public PersonItemDelegate
{
    Q_OBJECT
public:
    using PersonItemDelegate::PersonItemDelegate;
};
