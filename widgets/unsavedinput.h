#pragma once

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

// Tells what was typed into a form from what it held when it was opened or
// last saved, and asks before that input is dropped.
class UnsavedInput
{
public:
    // The fields that hold input: line and text edits, combo boxes, date
    // edits, tables, check boxes.
    void watch(const QList<QWidget *> &fields);
    // What the fields hold now is what was saved (or loaded).
    void markSaved();
    bool pending() const;
    // True when nothing typed would be lost, or the agent agrees to drop it.
    bool mayDrop(QWidget *parent) const;

private:
    QStringList state() const;

    QList<QPointer<QWidget>> m_fields;
    QStringList m_saved;
};

// The question of every entry dialog before typed input is dropped
// ("否" focused): true when the agent agrees.
bool askCloseWithUnsavedInput(QWidget *parent);
