#pragma once

#include "exchange/personimport.h"

#include <QDialog>

#include <memory>

class QComboBox;

namespace Ui {
class ImportPeopleDialog;
}

// Imports prospects or recruits from a CSV file in four steps on one page:
// choose the file (its encoding detected or chosen), map its columns, look at
// the first rows with their problems, import in one transaction. Skipped rows
// stay listed with line and reason and can be saved to fix.
class ImportPeopleDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ImportPeopleDialog(PersonTable table, QWidget *parent = nullptr);
    ~ImportPeopleDialog() override;

    // Rows stored by the last import.
    qint64 importedCount() const { return m_imported; }

    static constexpr int previewRows = 20;

private slots:
    void on_pushButtonBrowse_clicked();
    void on_comboBoxEncoding_activated(int index);
    void on_checkBoxAllowDuplicates_toggled(bool checked);
    void on_pushButtonImport_clicked();
    void on_pushButtonSaveSkipped_clicked();
    void on_pushButtonClose_clicked();

private:
    QList<QComboBox *> fieldBoxes() const;
    void loadFile();
    void fillMapping();
    void replan();
    void showPreview();
    ColumnMapping mapping() const;

    std::unique_ptr<Ui::ImportPeopleDialog> ui;
    PersonTable table;
    QString path;
    CsvFile file;
    ImportPlan plan;
    QList<ImportRow> skipped;
    qint64 m_imported = 0;
};
