// The window's preview of keys and of the mouse wheel: the keys below act
// before any control sees them (Tab included) and are consumed; + and - are
// the time scale's zoom while it has the focus or the pointer.
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QWheelEvent>

#include "app/view_main.h"
#include "app/route_docks.h"
#include "gps/route_panel.h"
#include "viewer/bottom_panel.h"
#include "viewer/use_box.h"

namespace quovil {
namespace {

bool IsWindowKey(int key, Qt::KeyboardModifiers mods) {
  const bool ctrl = mods & Qt::ControlModifier;
  const bool alt = mods & Qt::AltModifier;
  switch (key) {
    case Qt::Key_Escape: return true;
    case Qt::Key_Space:
    case Qt::Key_Tab: return !ctrl && !alt;
    case Qt::Key_1:
    case Qt::Key_2:
    case Qt::Key_3:
    case Qt::Key_4: return ctrl && !alt;
    default: return false;
  }
}

// The keys that move through the records: Left/Right step as the wheel does,
// Home/End go to the first/last record, Page Up/Down by minutes.
bool IsNavigationKey(int key, Qt::KeyboardModifiers mods) {
  if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier)) return false;
  switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: return true;
    default: return false;
  }
}

bool IsKindKey(int key, Qt::KeyboardModifiers mods) {
  return (key == Qt::Key_Left || key == Qt::Key_Right) &&
         (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier)) == Qt::ControlModifier;
}

// A control that moves with these keys itself keeps them (the brightness
// and contrast bars, fields, lists): the one with the focus, or the one the
// key is on its way to.
bool UsesNavigationKeys(const QObject* w) {
  return qobject_cast<const QAbstractSlider*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
         qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
         qobject_cast<const QAbstractItemView*>(w);
}

bool ControlKeepsKey(const QObject* receiver) {
  return UsesNavigationKeys(QApplication::focusWidget()) || UsesNavigationKeys(receiver);
}

}  // namespace

bool TMainForm::NavigationKey(int key, Qt::KeyboardModifiers mods) {
  if (!IsNavigationKey(key, mods)) return false;
  Call([&] {
    switch (key) {
      case Qt::Key_Left: viewer.FormMouseWheel(false); break;
      case Qt::Key_Right: viewer.FormMouseWheel(true); break;
      case Qt::Key_Home: viewer.ShowSelectionEnd(false); break;
      case Qt::Key_End: viewer.ShowSelectionEnd(true); break;
      case Qt::Key_PageUp: viewer.ShowNeighbourMinute(false); break;
      default: viewer.ShowNeighbourMinute(true); break;
    }
  });
  Repaint(kRepaintActions | kRepaintImage | kRepaintTimeline);
  return true;
}

bool TMainForm::OwnsEventTarget(QObject* watched) const {
  const auto* w = qobject_cast<const QWidget*>(watched);
  return w && w->window() == this;
}

bool TMainForm::FormKeyDown(int key, Qt::KeyboardModifiers mods) {
  if (!IsWindowKey(key, mods)) return false;
  switch (key) {
    case Qt::Key_Escape:
      N1Click();
      break;
    case Qt::Key_Space:
      Call([this] {
        if (viewer.play().PlayTimerEnabled) {
          viewer.StopBtnClick();
        } else {
          viewer.PlayBtnClick();
        }
      });
      break;
    case Qt::Key_Tab:
      Call([this] { viewer.VIEW_SWAP_Click(); });
      break;
    default: {
      // Ctrl+1..4: one window, two side by side, one above the other, window
      // in window; the tags of the layout menu items.
      static constexpr int kTags[] = {1, 0, 3, 2};
      Call([this, tag = kTags[key - Qt::Key_1]] { viewer.VIEW_Click(tag); });
      break;
    }
  }
  Repaint(kRepaintActions | kRepaintImage | kRepaintTimeline);
  return true;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
      if (!OwnsEventTarget(watched) || closed_) break;
      auto* k = static_cast<QKeyEvent*>(event);
      // + and - zoom the time scale when it has the focus or the pointer.
      if (event->type() == QEvent::KeyPress && JvPanel2 && JvPanel2->useBox->ZoomKey(k->key(), k->modifiers())) {
        event->accept();
        return true;
      }
      // Ctrl+Left / Ctrl+Right: the record of the kind chosen in the
      // telemetry dock, before or after the shown one.
      if (IsKindKey(k->key(), k->modifiers()) && routeDocks_ && !ControlKeepsKey(watched)) {
        if (event->type() == QEvent::KeyPress) {
          Call([&] { routeDocks_->JumpToKind(k->key() == Qt::Key_Right); });
          Repaint(kRepaintActions | kRepaintImage | kRepaintTimeline);
        }
        event->accept();
        return true;
      }
      if (IsNavigationKey(k->key(), k->modifiers()) && !ControlKeepsKey(watched)) {
        if (event->type() == QEvent::KeyPress) NavigationKey(k->key(), k->modifiers());
        event->accept();
        return true;
      }
      if (!IsWindowKey(k->key(), k->modifiers())) break;
      // Accepting the override keeps menu short cuts from firing; the key then
      // arrives as a key press and is handled once.
      if (event->type() == QEvent::KeyPress) FormKeyDown(k->key(), k->modifiers());
      event->accept();
      return true;
    }
    case QEvent::Wheel: {
      if (!OwnsEventTarget(watched) || closed_) break;
      const auto* wheel = static_cast<QWheelEvent*>(event);
      // Ctrl + wheel over the time scale is its zoom.
      if ((wheel->modifiers() & Qt::ControlModifier) && JvPanel2 && watched == JvPanel2->useBox) break;
      // The wheel over the route map zooms the map.
      if (routeDocks_ && watched == routeDocks_->routePanel()->canvas()) break;
      const int dy = wheel->angleDelta().y();
      if (dy == 0) break;
      bool handled = false;
      Call([&] { handled = viewer.FormMouseWheel(dy > 0); });
      if (handled) {
        event->accept();
        return true;
      }
      break;
    }
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace quovil
