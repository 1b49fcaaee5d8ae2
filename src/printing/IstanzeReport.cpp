#include "printing/IstanzeReport.h"

#include <QCoreApplication>

#include <vector>

namespace IstanzeReport {

namespace {

std::vector<void (*)()> &unloaders()
{
    static std::vector<void (*)()> list;
    return list;
}

} // namespace

namespace detail {

void Registra(void (*scarica)())
{
    std::vector<void (*)()> &list = unloaders();
    if (list.empty() && QCoreApplication::instance()) {
        // Preview windows must go while the application still exists.
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] { ScaricaTutte(); });
    }
    list.push_back(scarica);
}

bool SiPuoDistruggere(const platform::report::ReportLayout &layout)
{
    return QCoreApplication::instance() != nullptr || layout.previewWindow() == nullptr;
}

} // namespace detail

void ScaricaTutte()
{
    for (void (*scarica)() : unloaders())
        scarica();
}

} // namespace IstanzeReport
