#!/usr/bin/env bash
# Writes the spreadsheets the tests open, as two real producers save them: Python's openpyxl
# writes classeur_openpyxl.xlsx, and LibreOffice Calc saves that workbook again as
# classeur_libreoffice.xlsx and .ods. Needs python3-openpyxl and LibreOffice (Debian
# libreoffice-calc-nogui), which only this script uses. Run from anywhere; the files land here.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
python=${PYTHON:-/usr/bin/python3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$python" - "$here/classeur_openpyxl.xlsx" <<'PY'
import datetime, sys
from openpyxl import Workbook

book = Workbook()
sheet = book.active
sheet.title = "Inscrits"
sheet.append(["Numéro", "Nom", "Prénom", "Inscrit le", "Billets"])
sheet.append(["0042", "Dupont", "Jérôme", datetime.date(2024, 3, 15), 2])
sheet.append(["0043", "Lefèvre", "Zoé", datetime.date(2024, 3, 16), 1])
sheet.append([])
sheet.append(["0044", "Müller-Åström", "Éloïse", datetime.date(2024, 3, 17), 3.5])
sheet.append(["0045", "Famille Ngô", None, datetime.date(2024, 3, 18), 4])
sheet.merge_cells("B6:C6")
for row in range(2, 7):
    sheet.cell(row=row, column=4).number_format = "DD/MM/YYYY"
waiting = book.create_sheet("Liste d'attente")
waiting.append(["Nom", "Prénom"])
waiting.append(["Petit", "Noël"])
waiting.append(["Garçon", "Anaïs"])
book.save(sys.argv[1])
PY

for format in xlsx ods; do
    soffice --headless -env:UserInstallation="file://$work/profile" --convert-to "$format" \
        --outdir "$work" "$here/classeur_openpyxl.xlsx" >/dev/null
    mv "$work/classeur_openpyxl.$format" "$here/classeur_libreoffice.$format"
done
