#include "recordingspanel.h"

#include "common/calltools.h"
#include "common/phoneline.h"
#include "store/phonerecords.h"
#include "widgets/messageboxes.h"

#include <QAudioOutput>
#include <QDateTime>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMediaPlayer>
#include <QPushButton>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>

RecordingsPanel::RecordingsPanel(QTableView *history, QWidget *parent)
    : QWidget(parent), m_history(history)
{
    setObjectName(QStringLiteral("recordingsPanel"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    auto *row = new QHBoxLayout;
    m_playLog = new QPushButton(QStringLiteral("播放录音"), this);
    m_playLog->setObjectName(QStringLiteral("pushButtonPlayRecording"));
    m_playLog->setToolTip(QStringLiteral("播放历史记录中所选联系的录音"));
    m_stop = new QPushButton(QStringLiteral("停止"), this);
    m_stop->setObjectName(QStringLiteral("pushButtonStopRecording"));
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("labelRecordingState"));
    row->addWidget(m_playLog);
    row->addWidget(m_stop);
    row->addWidget(m_state, 1);
    column->addLayout(row);
    m_unsavedLabel = new QLabel(QStringLiteral("未保存的录音 (保存本次记录时一并保存):"), this);
    m_unsaved = new QListWidget(this);
    m_unsaved->setObjectName(QStringLiteral("listWidgetUnsavedRecordings"));
    m_unsaved->setMaximumHeight(70);
    auto *unsavedRow = new QHBoxLayout;
    m_playUnsaved = new QPushButton(QStringLiteral("播放"), this);
    m_playUnsaved->setObjectName(QStringLiteral("pushButtonPlayUnsaved"));
    m_deleteUnsaved = new QPushButton(QStringLiteral("删除"), this);
    m_deleteUnsaved->setObjectName(QStringLiteral("pushButtonDeleteUnsaved"));
    unsavedRow->addWidget(m_unsaved, 1);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_playUnsaved);
    buttons->addWidget(m_deleteUnsaved);
    unsavedRow->addLayout(buttons);
    column->addWidget(m_unsavedLabel);
    column->addLayout(unsavedRow);
    for (QPushButton *button : {m_playLog, m_stop, m_playUnsaved, m_deleteUnsaved})
        button->setAutoDefault(false);

    m_player = new QMediaPlayer(this);
    m_output = new QAudioOutput(this);
    m_player->setAudioOutput(m_output);
    connect(m_player, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString &text) {
                m_state->setText(QStringLiteral("无法播放: ") + text);
            });
    connect(m_stop, &QPushButton::clicked, m_player, &QMediaPlayer::stop);
    connect(m_playLog, &QPushButton::clicked, this, &RecordingsPanel::playChosenLog);
    connect(m_playUnsaved, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem *item = m_unsaved->currentItem())
            play(item->data(Qt::UserRole + 1).toString(), item->data(Qt::UserRole + 2).toString());
    });
    connect(m_deleteUnsaved, &QPushButton::clicked, this, [this] {
        QListWidgetItem *item = m_unsaved->currentItem();
        if (!item || !askYesNo(this, QStringLiteral("删除这段未保存的录音? 删除后无法恢复."),
                               QStringLiteral("提示"), QMessageBox::Warning))
            return;
        m_player->stop();
        m_player->setSource(QUrl());
        deletePendingCall(item->data(Qt::UserRole).toLongLong());
        reload();
    });
    connect(m_unsaved, &QListWidget::currentRowChanged, this, &RecordingsPanel::followSelection);
    if (PhoneLine *line = PhoneLine::instance())
        connect(line, &PhoneLine::callEnded, this, &RecordingsPanel::reload);
    followSelection();
}

RecordingsPanel::~RecordingsPanel() = default;

void RecordingsPanel::showPerson(int kind, qint64 personId, const QString &phone)
{
    m_player->stop();
    m_kind = kind;
    m_personId = personId;
    m_phone = phone;
    m_state->clear();
    reload();
}

void RecordingsPanel::reload()
{
    m_unsaved->clear();
    for (const PendingCall &call : pendingCallsFor(m_kind, m_personId, m_phone)) {
        const QString when = QDateTime::fromSecsSinceEpoch(call.started)
                                 .toString(QStringLiteral("yyyy-MM-dd hh:mm"));
        auto *item = new QListWidgetItem(
            QStringLiteral("%1  %2  %3")
                .arg(when, talkTimeText(call.seconds),
                     call.file.isEmpty() ? QStringLiteral("(无录音, 只有通话时长)") : QString()),
            m_unsaved);
        item->setData(Qt::UserRole, call.id);
        item->setData(Qt::UserRole + 1, call.file);
        item->setData(Qt::UserRole + 2, call.sha256);
        item->setData(Qt::UserRole + 3, call.seconds);
    }
    const bool any = m_unsaved->count() > 0;
    m_unsavedLabel->setVisible(any);
    m_unsaved->setVisible(any);
    m_playUnsaved->setVisible(any);
    m_deleteUnsaved->setVisible(any);
    if (any)
        m_unsaved->setCurrentRow(0);
    followSelection();
}

void RecordingsPanel::followSelection()
{
    QListWidgetItem *item = m_unsaved->currentItem();
    m_playUnsaved->setEnabled(item && !item->data(Qt::UserRole + 1).toString().isEmpty());
    m_deleteUnsaved->setEnabled(item != nullptr);
}

QList<qint64> RecordingsPanel::unsavedCalls() const
{
    QList<qint64> ids;
    for (int i = 0; i < m_unsaved->count(); ++i)
        ids.append(m_unsaved->item(i)->data(Qt::UserRole).toLongLong());
    return ids;
}

qint64 RecordingsPanel::unsavedSeconds() const
{
    qint64 seconds = 0;
    for (int i = 0; i < m_unsaved->count(); ++i)
        seconds += m_unsaved->item(i)->data(Qt::UserRole + 3).toLongLong();
    return seconds;
}

bool RecordingsPanel::play(const QString &file, const QString &sha256)
{
    const QString problem = recordingProblem(checkRecording(file, sha256));
    if (!problem.isEmpty()) {
        m_state->setText(problem);
        return false;
    }
    m_player->stop();
    m_player->setSource(QUrl::fromLocalFile(QDir(recordingsFolder()).filePath(file)));
    m_player->play();
    m_state->setText(QStringLiteral("正在播放"));
    return true;
}

void RecordingsPanel::playChosenLog()
{
    const QModelIndex current = m_history->currentIndex();
    if (!current.isValid()) {
        m_state->setText(QStringLiteral("请先在历史记录中选择一条有录音的联系"));
        return;
    }
    const qint64 logId = current.siblingAtColumn(0).data().toLongLong();
    const QList<Recording> recordings = recordingsOfLog(m_kind, logId);
    if (recordings.isEmpty()) {
        m_state->setText(QStringLiteral("这条联系没有录音"));
        return;
    }
    play(recordings.last().file, recordings.last().sha256);
}
