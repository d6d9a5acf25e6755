#pragma once
// The user-readable text of any exception: our own errors (Exception) give their message;
// any other std::exception gives what(), read as UTF-8 as the exception base promises.

#include <QString>
#include <exception>

QString MessageOf(const std::exception& e);
