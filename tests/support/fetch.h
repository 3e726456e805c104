// SPDX-License-Identifier: GPL-3.0-or-later
// The current data row's value as an expression (QFETCH only declares a variable).
#pragma once

#include <QtTest>

#define FETCHED(Type, name) \
    (*static_cast<Type*>(QTest::qData(#name, ::qMetaTypeId<std::remove_cv_t<Type>>())))
