#pragma once

#include <QObject>
#include <QString>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

// Finding the program's windows and controls the way a user names them: by their object names, or a
// panel by its class.
namespace kq::test {

// The object called `name` below root; a test that asks for one that is not there fails.
template <typename T> T& child(const QObject& root, const QString& name) {
    T* found = root.findChild<T*>(name);
    if (!found) throw std::runtime_error("no control named " + name.toStdString());
    return *found;
}

// The one object of class T below root (a panel, the model menus).
template <typename T> T& only(const QObject& root) {
    T* found = root.findChild<T*>();
    if (!found) throw std::runtime_error(std::string("no ") + T::staticMetaObject.className());
    return *found;
}

} // namespace kq::test
