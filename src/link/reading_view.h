#pragma once

#include <QString>
#include <QStringList>

namespace vorkel {

// What a reading of the cluster tells as it goes, fact by fact, to whoever
// shows it: the window puts each fact where it belongs at once; a reading
// without a window shows nothing, or its progress. The reading also returns
// its facts whole.
class ReadingView {
  public:
    virtual ~ReadingView() = default;
    virtual void PortOpened() {}                       // a new connection: the car before goes
    virtual void LinkNamed(const QString& /*name*/) {} // the Bluetooth service named the adapter
    virtual void Connecting() {}
    virtual void AdapterAnswered(const QString& /*banner*/) {}
    virtual void ModelNamed(const QString& /*model*/) {}
    virtual void Identified(const QString& /*partNumber*/) {}
    virtual void Counted(int /*count*/) {}
    virtual void Connected() {}
    virtual void ListEmptied() {}
    virtual void Listed(const QStringList& /*lines*/) {}
};

// A view that shows nothing.
inline ReadingView& NoView() {
    static ReadingView none;
    return none;
}

} // namespace vorkel
