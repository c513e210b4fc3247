#include "support/sim_fixture.h"

#include "cluster/cluster_state.h"
#include "common/port_device.h"
#include "common/shared_state.h"

#include <QDir>
#include <QtTest>

SimFixture::SimFixture(const vorkelsim::SimOptions& options, int comPort) : m_comPort(comPort)
{
    vorkel::SetPortsFolder(m_dir.path());
    replace(options);
}

SimFixture::~SimFixture()
{
    m_sim.reset();
    vorkel::SetPortsFolder(QString());
}

void SimFixture::replace(const vorkelsim::SimOptions& options)
{
    m_sim.reset();
    m_sim = std::make_unique<vorkelsim::PtyAdapter>(options);
    if (!m_sim->Start())
        qFatal("no pseudo-terminal: %s", qPrintable(m_sim->ErrorString()));
    if (!m_sim->LinkAs(QDir(m_dir.path()).filePath(QStringLiteral("COM%1").arg(m_comPort))))
        qFatal("cannot link the simulator: %s", qPrintable(m_sim->ErrorString()));
}

std::unique_ptr<vorkelsim::PtyAdapter> SimFixture::addPort(int comPort, const vorkelsim::SimOptions& options)
{
    auto sim = std::make_unique<vorkelsim::PtyAdapter>(options);
    if (!sim->Start() || !sim->LinkAs(QDir(m_dir.path()).filePath(QStringLiteral("COM%1").arg(comPort))))
        qFatal("cannot start a second simulator");
    return sim;
}

vorkelsim::SimOptions FastAdapter() { return {}; }

void UseComPort(int port)
{
    vorkel::CommPortNumber = static_cast<std::int16_t>(port);
    vorkel::CommSpeed = QStringLiteral("38400");
    vorkel::AdapterState = 0;
    vorkel::DtcCount = 0;
    vorkel::DtcCodes.fill(QString());
    vorkel::PartPrefix.clear();
    vorkel::PartBaseText.clear();
    vorkel::ClusterCodes.fill(QString());
    vorkel::SuffixLetters.fill(QString());
    vorkel::PartSuffix.clear();
    vorkel::ClusterModel.clear();
}
