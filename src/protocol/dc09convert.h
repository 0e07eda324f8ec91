#pragma once

#include <QByteArray>
#include <QList>

// DC-09 report data turned into the texts the monitor queues for a radio or bare-IP report of
// the same event, so the decoder gives the same rows and automation lines.
namespace dc09 {

struct Conversion {
    QList<QByteArray> messages; // the texts to queue, in order; none when the report cannot be
                                // carried
    QByteArray rejection;       // why not
};

// ADM-CID "#acct|QEEE GG CCC" (the "#acct|" may be left out) into the Contact ID text "2",
// account, "18", qualifier, event, group, zone and check digit. The account must come to 4-6
// Contact ID digits: a shorter one is filled with leading "0", a longer one loses leading "0" only,
// small letters are taken as capitals. One holding the digit "A" (which Contact ID sends for 0)
// and any other account are refused rather than sent under another number.
Conversion contactIdFromAdmCid(const QByteArray &data, const QByteArray &headerAccount);

// SIA-DCS "#acct|Nri1/BA01|Atext" into the SIA block text "3", the account block, one block per
// "|"-part (its first character the function code), "@". A part without data is left out and one
// longer than a block carries (63 characters) is cut. A report longer than the 100 characters the
// decoder reads becomes one text per event (a part that is not an "A" text, with the texts after
// it), each text cut to what its event leaves room for. Refused only when no part has data.
Conversion siaFromSiaDcs(const QByteArray &data, const QByteArray &headerAccount);

} // namespace dc09
