#include "support/test_parts.h"

#include <QMetaMethod>

namespace testparts {
namespace {

struct Part {
    int k = 0;
    int n = 1;
};

Part ThisPart() {
    const QStringList given = qEnvironmentVariable("VORKEL_TEST_PART").split(QLatin1Char('/'));
    Part part;
    if (given.size() == 2 && given[1].toInt() > 0) part = {given[0].toInt(), given[1].toInt()};
    return part;
}

} // namespace

bool InThisPart(int index) {
    const Part part = ThisPart();
    return index % part.n == part.k;
}

int ExecPart(QObject* test, int argc, char** argv) {
    if (argc > 1 || ThisPart().n == 1) return QTest::qExec(test, argc, argv);
    QStringList arguments{QString::fromLocal8Bit(argv[0])};
    const QMetaObject* meta = test->metaObject();
    int index = 0;
    for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
        const QMetaMethod method = meta->method(i);
        const QString name = QString::fromLatin1(method.name());
        if (method.methodType() != QMetaMethod::Slot || method.access() != QMetaMethod::Private ||
            name.endsWith(QLatin1String("_data")) || name == QLatin1String("init") ||
            name == QLatin1String("cleanup") || name.endsWith(QLatin1String("TestCase")))
            continue;
        if (InThisPart(index++)) arguments << name;
    }
    return QTest::qExec(test, arguments);
}

} // namespace testparts
