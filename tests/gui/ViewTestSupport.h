// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the views' tests: the QApplication on the offscreen platform,
// documents filled with series, answering modal dialogs and message boxes,
// and clicks on grid cells.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include "GuiApplication.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/GridCtrl.h"
#include "data/PaperDoc.h"
#include "data/SeriesBytesBuilder.h"

namespace ViewTest {

using GuiTest::EnsureApplication;

// Runs queued calls (refills, posted commands).
inline void ProcessEvents()
{
    for (int k = 0; k < 3; ++k)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// A series for the document builder.
inline DataTest::Series MakeSeries(const std::string& id, uint16_t counter, std::vector<uint8_t> values,
                                   uint8_t lower = 80, uint8_t upper = 120, uint32_t dateTime = 848000000)
{
    DataTest::Series s;
    s.id = id;
    s.counter = counter;
    s.values = std::move(values);
    s.lower = lower;
    s.upper = upper;
    s.dateTime = dateTime;
    return s;
}

// Values of a series: `count` impacts around `base` (half steps).
inline std::vector<uint8_t> Values(int count, uint8_t base = 90, int spread = 7)
{
    std::vector<uint8_t> v;
    for (int k = 0; k < count; ++k)
        v.push_back(static_cast<uint8_t>(base + (k * 5 + k / 3) % (2 * spread + 1) - spread));
    return v;
}

// Fills a document as a download does.
inline void Load(CPaperDoc& doc, const std::vector<DataTest::Series>& list, const std::string& serial = "VT-10428")
{
    const std::vector<uint8_t> info = DataTest::InfoBlock(serial);
    doc.StoreDownloadedInfo(info.data(), info.size());
    const std::vector<uint8_t> bytes = DataTest::InstrumentRecords(list);
    doc.StoreDownloadedSeries(bytes.data(), bytes.size());
    doc.TakeChangeMark();
}

// Answers the next modal dialog of type T (polling until it is shown);
// `answer` runs on it and must close it.
template <typename T>
void WhenModal(std::function<void(T*)> answer, int tries = 200)
{
    QTimer::singleShot(5, [answer, tries] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            answer(dialog);
            return;
        }
        if (tries > 0)
            WhenModal<T>(answer, tries - 1);
    });
}

// Like WhenModal, but stops looking once `active` is cleared: for a dialog
// that must not appear (the test checks `seen` afterwards).
template <typename T>
void CatchModal(std::shared_ptr<bool> active, std::shared_ptr<int> seen, int tries = 400)
{
    QTimer::singleShot(5, [active, seen, tries] {
        if (!*active)
            return;
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            ++*seen;
            dialog->reject();
        }
        if (tries > 0)
            CatchModal<T>(active, seen, tries - 1);
    });
}

// Clicks the button of the next message box with the given role.
inline void AnswerMessageBox(QMessageBox::StandardButton button, std::u16string* text = nullptr)
{
    WhenModal<QMessageBox>([button, text](QMessageBox* box) {
        if (text != nullptr)
            *text = box->text().toStdU16String();
        box->button(button)->click();
    });
}

// A left click (press and release) at a point of the grid's viewport.
inline void ClickGrid(CGridCtrl* grid, const QPoint& pos, Qt::KeyboardModifiers mods = Qt::NoModifier,
                      Qt::MouseButton button = Qt::LeftButton)
{
    QWidget* viewport = grid->viewport();
    const QPointF local(pos);
    const QPointF global(viewport->mapToGlobal(pos));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, mods);
    QApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton, mods);
    QApplication::sendEvent(viewport, &release);
}

// A click on a cell, at `offset` from its top left (the cell's centre when
// offset is (-1, -1)).
inline void ClickCell(CGridCtrl* grid, int row, int col, QPoint offset = QPoint(-1, -1),
                      Qt::KeyboardModifiers mods = Qt::NoModifier, Qt::MouseButton button = Qt::LeftButton)
{
    grid->EnsureVisible(row, col);
    const QRect rect = grid->GetCellRect(row, col);
    const QPoint at = offset == QPoint(-1, -1) ? rect.center() : rect.topLeft() + offset;
    ClickGrid(grid, at, mods, button);
}

} // namespace ViewTest
