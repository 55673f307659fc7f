#pragma once

#include <QObject>
#include <QString>

#include <gtest/gtest.h>

#include <stdexcept>

// The child of parent with the given object name, found as a person would find a control by its
// name. A missing child fails the test (the exception ends it; GoogleTest reports it).
template <class T> T& child(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QLatin1String(name));
    if (!found) {
        ADD_FAILURE() << "no " << T::staticMetaObject.className() << " named \"" << name << "\"";
        throw std::runtime_error("missing child");
    }
    return *found;
}
