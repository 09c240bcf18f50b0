// The floor for the start-up benchmark: a program that only shows an engine view, loads one
// address and puts the page's title in its window title.
#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWebEngineView view;
    QObject::connect(&view, &QWebEngineView::titleChanged, &view, &QWidget::setWindowTitle);
    view.resize(1024, 700);
    view.load(QUrl(QString::fromLocal8Bit(argv[argc - 1])));
    view.show();
    return app.exec();
}
