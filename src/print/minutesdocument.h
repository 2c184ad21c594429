#pragma once

#include "core/proof/minutes.h"

#include <memory>

class QTextDocument;

// The procès-verbal's part for people, laid out for an A4 sheet: title, event, counts, who won
// what, anomalies, conclusion, the commitment with its QR code, and a box for each signature.
std::unique_ptr<QTextDocument> minutesDocument(const sortivo::Minutes& minutes);
