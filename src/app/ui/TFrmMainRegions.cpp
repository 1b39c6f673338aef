// The main window's region editing: the Edit menu's region items, the select tool, the paste
// preview and the rectangle fill, and the system clipboard.
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>

#include "app/ui/TFrmMain.h"
#include "view/RegionPicture.h"

namespace hl {

namespace {

// The clipboard's picture is at most this long on either side, to go into a chat or a page.
constexpr int kPictureSide = 4096;

QAction* RegionItem(QMenu* menu, const char* objectName, const QString& caption,
                    const char* keys) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(objectName);
  if (keys) action->setShortcut(QKeySequence(keys));
  return action;
}

std::optional<QRect> CellsOf(const std::optional<CellRect>& r) {
  if (!r || r->Empty()) return std::nullopt;
  return QRect(r->X0, r->Y0, r->Width(), r->Height());
}

}  // namespace

void TFrmMain::CreateRegionItems(QMenu* edit) {
  edit->addSeparator();
  connect(RegionItem(edit, "Cut1", "Cut", "Ctrl+X"), &QAction::triggered, this,
          [this] { RegionEdit([this] { return RegionCopyToClipboard() && regions_->Cut(); }); });
  connect(RegionItem(edit, "Copy1", "Copy", "Ctrl+C"), &QAction::triggered, this,
          [this] { RegionCopyToClipboard(); });
  connect(RegionItem(edit, "Paste1", "Paste", "Ctrl+V"), &QAction::triggered, this,
          [this] { RegionPasteFromClipboard(); });
  connect(RegionItem(edit, "Delete1", "Delete", "Del"), &QAction::triggered, this,
          [this] { RegionEdit([this] { return regions_->Delete(); }); });
  connect(RegionItem(edit, "SelectAll1", "Select All", "Ctrl+A"), &QAction::triggered, this,
          [this] {
            regions_->SelectAll(regionLayers_);
            UpdateRegionOverlay();
          });
  connect(RegionItem(edit, "NewSetFromSelection1", "New Object Set from Selection", nullptr),
          &QAction::triggered, this, [this] { RegionNewSet(); });

  // Which fields a selection takes: all four unless the designer says otherwise.
  QMenu* layers = edit->addMenu("Selection Layers");
  layers->setObjectName("SelectionLayers1");
  const struct {
    const char* Name;
    const char* Caption;
    std::uint8_t Flag;
  } kLayers[] = {{"LayerGround1", "Ground", kRegionGround},
                 {"LayerSmall1", "Small Tiles", kRegionSmall},
                 {"LayerObjects1", "Objects", kRegionObjects},
                 {"LayerAttributes1", "Attributes", kRegionAttributes}};
  for (const auto& l : kLayers) {
    QAction* a = RegionItem(layers, l.Name, l.Caption, nullptr);
    a->setCheckable(true);
    a->setChecked(true);
    const std::uint8_t flag = l.Flag;
    connect(a, &QAction::toggled, this, [this, a, flag](bool on) {
      const auto chosen = static_cast<std::uint8_t>(on ? regionLayers_ | flag : regionLayers_ & ~flag);
      if (chosen == 0) {
        a->setChecked(true);  // a selection of no layer would carry nothing
        return;
      }
      regionLayers_ = chosen;
      // The selection takes the new layers, growing to blocks when the ground joins.
      if (const auto& s = regions_->Selection()) regions_->Select(s->X0, s->Y0, s->X1, s->Y1, chosen);
      UpdateRegionOverlay();
    });
  }
}

bool TFrmMain::RegionCopyToClipboard() {
  if (!regions_->Copy()) {
    statusBar()->showMessage("Nothing selected", 5000);
    return false;
  }
  const RegionCopy& copy = regions_->Clipboard();
  const std::vector<std::uint8_t> cells = EncodeCells(copy);
  auto* mime = new QMimeData;
  mime->setData(kCellsMimeType,
                QByteArray(reinterpret_cast<const char*>(cells.data()), static_cast<qsizetype>(cells.size())));
  const QImage picture = RenderRegion(copy, libraries_, PictureZoom(copy, kPictureSide));
  if (!picture.isNull()) mime->setImageData(picture);
  QApplication::clipboard()->setMimeData(mime);
  statusBar()->showMessage(QString("Copied %1 x %2 cells").arg(copy.Width).arg(copy.Height), 5000);
  return true;
}

void TFrmMain::RegionPasteFromClipboard() {
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  if (!mime || !mime->hasFormat(kCellsMimeType)) {
    statusBar()->showMessage("Nothing pasted: the clipboard holds no map cells", 5000);
    return;
  }
  const QByteArray bytes = mime->data(kCellsMimeType);
  std::string why;
  auto copy = DecodeCells(
      std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())),
      &why);
  if (!copy) {
    statusBar()->showMessage(QString::fromStdString("Nothing pasted: " + why), 5000);
    return;
  }
  regions_->SetClipboard(std::move(*copy));
  regionTool_->StartPaste();
  statusBar()->showMessage("Click to place the cells (Ctrl merges), Escape to drop them", 5000);
  UpdateRegionOverlay();
}

void TFrmMain::RegionNewSet() {
  const auto& selection = regions_->Selection();
  if (!selection) {
    statusBar()->showMessage("Nothing selected", 5000);
    return;
  }
  bool hadSmallTiles = false;
  TObjectSet set =
      SetFromRegion(CopyRegion(*doc_, *selection, regions_->Layers()), &hadSmallTiles);
  sets_.ReplaceSet(static_cast<int>(sets_.Items.size()), std::move(set));
  statusBar()->showMessage(
      QString("Object set %1 added from the selection%2")
          .arg(sets_.Items.size() - 1)
          .arg(hadSmallTiles ? " (sets keep no small tiles: those were left out)" : ""),
      8000);
}

void TFrmMain::RegionEdit(const std::function<bool()>& edit) {
  if (!edit()) {
    statusBar()->showMessage("Nothing selected", 5000);
    return;
  }
  SetModified();
  MainScroll->Repaint();
  UpdateEditMenu();
  UpdateRegionOverlay();
}

bool TFrmMain::CanFillRectangle() const {
  return (tools_.ToolMode == ToolMode::DrawBigTiles && tools_.LayerMode == hl::LayerMode::Big) ||
         tools_.ToolMode == ToolMode::DrawSmTiles;
}

bool TFrmMain::RegionPress(int x, int y, Qt::MouseButton button, Qt::KeyboardModifiers mods) {
  if (regionTool_->Placing()) {
    if (button == Qt::LeftButton) {
      regionTool_->PressPlace(x, y, mods & Qt::ControlModifier);
      RegionEdit([] { return true; });
    } else {
      regionTool_->Escape();  // another button drops the copy
      UpdateRegionOverlay();
    }
    return true;
  }
  if (tools_.ToolMode == ToolMode::Select) {
    if (button == Qt::LeftButton) regionTool_->PressSelect(x, y);
    UpdateRegionOverlay();
    return true;  // whatever the layer buttons say, selecting never paints
  }
  if (button == Qt::LeftButton && (mods & Qt::ShiftModifier) && CanFillRectangle()) {
    regionTool_->PressFill(x, y);
    UpdateRegionOverlay();
    return true;
  }
  return false;
}

bool TFrmMain::RegionMove(int x, int y, Qt::MouseButtons held) {
  if (regionTool_->Placing()) {
    regionTool_->Hover(x, y);
  } else if (regionTool_->Busy() && (held & Qt::LeftButton)) {
    regionTool_->Drag(x, y);
  } else {
    return tools_.ToolMode == ToolMode::Select;
  }
  UpdateRegionOverlay();
  return true;
}

bool TFrmMain::RegionRelease() {
  if (!regionTool_->Busy() || regionTool_->Placing()) return tools_.ToolMode == ToolMode::Select;
  const RegionTool::Released done = regionTool_->Release(regionLayers_);
  if (const auto& fill = done.Fill) {
    RegionEdit([&] { return dispatch_->FillRect(fill->X0, fill->Y0, fill->X1, fill->Y1); });
  } else if (done.Moved) {
    RegionEdit([] { return true; });
  } else {
    UpdateRegionOverlay();
  }
  return true;
}

bool TFrmMain::RegionEscape() {
  if (!regionTool_->Escape()) return false;
  UpdateRegionOverlay();
  return true;
}

void TFrmMain::UpdateRegionOverlay() {
  const RegionCopy* copy = regionTool_->PreviewCopy();
  if (!copy) {
    previewPicture_ = QImage();
    previewOf_ = -1;
  } else if (regionTool_->PreviewVersion() != previewOf_ || previewZoom_ != MainScroll->Zoom()) {
    previewOf_ = regionTool_->PreviewVersion();
    previewZoom_ = MainScroll->Zoom();
    previewPicture_ = RenderRegion(*copy, libraries_, previewZoom_);
  }
  MainScroll->SetOverlay(CellsOf(regionTool_->Outline()), CellsOf(regionTool_->Preview()),
                         previewPicture_);
  if (const auto& s = regions_->Selection()) {
    statusSelection_->setText(QString("Selection %1 x %2").arg(s->Width()).arg(s->Height()));
  } else {
    statusSelection_->clear();
  }
}

}  // namespace hl
