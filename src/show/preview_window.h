#pragma once

#include "model/model_canvas.h"
#include "preview.h"

#include <QWidget>

class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QPushButton;
class QScrollBar;
class QTimer;

// The picture of "Form预览": the model's pixels in the show's colours on black, panned by dragging and
// zoomed with the wheel as in the editor.
class PreviewCanvas : public QWidget {
    Q_OBJECT
public:
    explicit PreviewCanvas(QWidget* parent = nullptr);

    void setShow(const kq::show::PreviewLayout* layout, const std::vector<QRgb>* colours);
    kq::model::CanvasView& view() { return view_; }
    void zoomIn();
    void zoomOut();
    void fit();
    QSize sizeHint() const override { return {640, 480}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    const kq::show::PreviewLayout* layout_ = nullptr;
    const std::vector<QRgb>* colours_ = nullptr;
    kq::model::CanvasView view_;
    QImage picture_;
    QPoint mouse_;
    bool dragging_ = false;
    QPoint pressAt_, pressOffset_;
};

// "Form预览": a recorded show material played on its model's layout, read from the frame files; it
// sends nothing to the machines. Exports the show as an animation.
class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    explicit PreviewWindow(QWidget* parent = nullptr);

    // Shows the material (1..50) with the model it is recorded against.
    void openMaterial(int material);
    void showFrame(int k);
    int frame() const;
    int frameCount() const { return reader_.frameCount(); }
    bool playing() const;
    void Command播放_Click();
    void Command导出_Click();
    const std::vector<QRgb>& colours() const { return colours_; }
    const kq::show::PreviewLayout& layout() const { return layout_; }

    // Reads the show files again when they changed since they were read (a frame deleted, a recording
    // finished, a file rebuilt), keeping the frame shown where it still is; true when they had.
    bool followShowFiles();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Reads the material's frame files and the model; keeps the frame shown, and playing, when told.
    void load(int frame = 1, bool keepPlaying = false);
    // The model as it is now: the layout is made again when the model changed.
    void followModel();
    void step();
    void watchShowFiles();

    QComboBox* Combo预览素材 = nullptr;
    QComboBox* Combo预览模型 = nullptr;
    QPushButton* Command预览播放 = nullptr;
    QPushButton* Command预览适合窗口 = nullptr;
    QPushButton* Command预览导出 = nullptr;
    QLabel* Label预览帧数 = nullptr;
    QLabel* Label预览信息 = nullptr;
    QScrollBar* HScroll预览帧 = nullptr;
    PreviewCanvas* Picture预览 = nullptr;
    QTimer* timer_ = nullptr;

    kq::show::ShowReader reader_;
    kq::show::PreviewLayout layout_;
    kq::show::ShowFrame frame_;
    std::vector<QRgb> colours_;
    bool loaded_ = false;
    bool exporting_ = false;
    int pendingMaterial_ = 0; // asked for during an export, opened when it ends
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* follow_ = nullptr; // gathers a burst of file changes into one reading
};
