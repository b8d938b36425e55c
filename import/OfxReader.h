#pragma once
// OFX statements, 1.x (SGML: leaf tags left open) and 2.x (XML): every
// STMTTRN of bank and credit-card statements. The day is the first eight
// digits of DTPOSTED, whatever time zone follows; TRNAMT's sign gives the
// kind; NAME is the counterparty, MEMO the memo, FITID kept for duplicates.
// Text is UTF-8 when it is valid UTF-8, else in the header's CHARSET
// (1252; 936 is GBK) or the XML declaration's encoding, else GBK.

#include "import/Statement.h"

#include <QList>

QList<StatementLine> readOfx(const QByteArray& bytes);
