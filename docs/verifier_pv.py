#!/usr/bin/env python3
"""Vérifie un procès-verbal de tirage Sortivo (protocoles sortivo-preuve-1 et -2, décrits dans preuve.md),
sans Sortivo, et donne son palmarès. Usage : python3 verifier_pv.py FICHIER. Bibliothèque standard seule."""
import hashlib, heapq, hmac, itertools, json, math, os, re, stat, struct, sys
PROFONDEUR, PLUS_GRAND = 64, 2 * (256 * 1024 * 1024 + 5_000_000 * 16)  # comme sortivo --verifier
CACHES = re.compile("[\x00-\x1f\x7f-\x9f\u061c\u200e\u200f\u202a-\u202e\u2066-\u2069\ud800-\udfff]")
class NonConforme(Exception): pass
def exiger(condition, raison):
    if not condition: raise NonConforme(raison)
montrer = lambda texte: CACHES.sub(lambda c: "\\u%04x" % ord(c[0]), texte)  # sans caractère qui commanderait le terminal
citer = lambda texte: "« " + montrer(texte[:60]) + "…" * (len(texte) > 60) + " »"
reel = lambda s: exiger(math.isfinite(v := float(s)), f"le fichier n'est pas un JSON valide (nombre hors limites : {s[:20]})") or v
def objet(paires):  # une clé en double : deux lecteurs pourraient garder l'une ou l'autre
    deux = [a for a, b in itertools.pairwise(sorted(k for k, _ in paires)) if a == b]
    return exiger(not deux, f"la clé {deux and citer(deux[0])} apparaît deux fois dans un même objet") or dict(paires)
def lire(nom):  # un fichier ordinaire de taille raisonnable, sans attendre sur un tube
    try:
        etat = os.fstat(fd := os.open(nom, os.O_RDONLY | os.O_NONBLOCK))
        exiger(stat.S_ISREG(etat.st_mode), "le fichier n'a pas pu être lu (ce n'est pas un fichier ordinaire)")
        exiger(etat.st_size <= PLUS_GRAND, f"le fichier n'a pas pu être lu (plus de {PLUS_GRAND >> 20} Mio, plus qu'aucun procès-verbal)")
        return os.read(fd, etat.st_size)
    except OSError as erreur:
        raise NonConforme(f"le fichier n'a pas pu être lu ({erreur.strerror})")
def analyser(donnees):  # les crochets comptés avant tout lecteur JSON, qui s'y perdrait
    signes = re.sub(rb"\\.", b"", donnees, flags=re.S).translate(None, bytes(set(range(256)) - set(b'[]{}"')))
    for profondeur in itertools.accumulate(1 if c in b"[{" else -1 for c in re.sub(rb'"[^"]*"?', b"", signes)):
        exiger(profondeur <= PROFONDEUR, f"le fichier imbrique plus de {PROFONDEUR} listes ou objets")
    try:  # une demi-paire de substitution (\ud800) se voit à la réécriture en UTF-8
        pv = json.loads(donnees.decode("utf-8-sig"), object_pairs_hook=objet, parse_float=reel, parse_constant=reel,
                        parse_int=lambda s: int(s) if -2**63 <= int(s) < 2**64 else reel(s))
        re.search(rb"\\u[dD][89a-fA-F]", donnees) and json.dumps(pv, ensure_ascii=False).encode()
        return pv
    except ValueError as erreur:
        raise NonConforme(f"le fichier n'est pas un JSON valide ({erreur})")
def champ(objet, nom, ou, types=(str,), raison="n'est pas un texte"):
    exiger(nom in objet, f"{ou}champ « {nom} » absent")
    return exiger(types is None or type(objet[nom]) in types, f"{ou}« {nom} » {raison}") or objet[nom]
empreinte_de = lambda entrees: hashlib.sha256(("\r\n".join(entrees) + "\r\n" * bool(entrees)).encode()).hexdigest()
mots = lambda cle: (w for j in itertools.count() for w in struct.unpack(">8I", hashlib.sha256(cle + j.to_bytes(8, "big")).digest()))  # SHA-256(K || j)
def position(flux, n):  # uniforme dans [0, n) : multiplier, rejeter les rares mots biaisés
    while (m := next(flux) * n) % 2**32 < (2**32 - n) % n: pass
    return m >> 32
def tirer(entrees, flux, resultats, ou):  # rejoue les tirages, rend les restantes ; la k-ième restante en O(log n) par un arbre de Fenwick : arbre[i] compte les paquets i - (i & -i) à i - 1
    paquets, n = [entrees[i:i + 2048] for i in range(0, len(entrees), 2048)], len(entrees)
    taille, arbre = len(paquets), [0] + [min(2048 * i, n) - 2048 * (i - (i & -i)) for i in range(1, len(paquets) + 1)]
    for k, resultat in enumerate(resultats, start=1):
        rang, i = position(flux, n - k + 1), 0
        for pas in (1 << b for b in range(taille.bit_length() - 1, -1, -1)):
            if i + pas <= taille and arbre[i + pas] <= rang:
                i, rang = i + pas, rang - arbre[i + pas]
        if resultat != (tiree := paquets[i].pop(rang)):
            raise NonConforme(f"{ou}le résultat n° {k} n'est pas celui que donne la graine (attendu : {citer(tiree)})")
        while (i := i + 1) <= taille:
            arbre[i], i = arbre[i] - 1, i + (i & -i) - 1
    return [e for p in paquets for e in p]
personne = lambda e: e[:m.start()] if (m := re.search(r" \(billet [0-9]+/[0-9]+\)\Z", e)) else e  # l'entrée sans sa marque de billet
def tirer_par_personne(entrees, flux, resultats, ou):  # un seul lot par personne : chaque gagnant retire aussitôt les autres billets de sa personne
    n, arbre, pris, groupes = len(entrees), [0] * (len(entrees) + 1), bytearray(len(entrees)), {}
    for i in range(1, n + 1):  # un arbre de Fenwick d'une entrée par feuille
        arbre[i] += 1
        if (j := i + (i & -i)) <= n: arbre[j] += arbre[i]
    def oter(i):
        pris[i], i = 1, i + 1
        while i <= n: arbre[i], i = arbre[i] - 1, i + (i & -i)
        return 1
    for i, e in enumerate(entrees): groupes.setdefault(personne(e), []).append(i)
    restant = n
    for k, resultat in enumerate(resultats, start=1):
        rang, i = position(flux, restant), 0
        for pas in (1 << b for b in range(n.bit_length() - 1, -1, -1)):
            if i + pas <= n and arbre[i + pas] <= rang: i, rang = i + pas, rang - arbre[i + pas]
        if resultat != entrees[i]:
            raise NonConforme(f"{ou}le résultat n° {k} n'est pas celui que donne la graine (attendu : {citer(entrees[i])})")
        restant -= sum(oter(j) for j in groupes[personne(entrees[i])] if not pris[j])
    return [e for e, p in zip(entrees, pris) if not p]
def verifier(pv):
    exiger(type(pv) is dict, "le fichier n'est pas un procès-verbal")
    exiger((protocole := champ(pv, "protocole", "")) in ("sortivo-preuve-1", "sortivo-preuve-2"), "protocole inconnu")
    exiger(type(regle := pv.get("un_lot_par_personne")) in (bool, type(None)), "« un_lot_par_personne » n'est ni true ni false")
    exiger(regle or protocole != "sortivo-preuve-2", "le protocole sortivo-preuve-2 exige « un_lot_par_personne » : true")
    exiger(not regle or protocole == "sortivo-preuve-2", "« un_lot_par_personne » : true exige le protocole sortivo-preuve-2")
    exiger(re.fullmatch("[0-9a-f]{64}", graine := champ(pv, "graine", "")), "la graine n'est pas faite de 64 chiffres hexadécimaux minuscules")
    exiger(champ(pv, "engagement", "") == hashlib.sha256(graine := bytes.fromhex(graine)).hexdigest(), "la graine ne correspond pas à l'engagement")
    publique, tirages, entrees, tires = champ(pv, "valeur_publique", ""), champ(pv, "tirages", "", (list,), "n'est pas une liste"), [], 0
    series = []  # les résultats de chaque tirage, s'il est en équipes, et sa date : ce qu'en lit la règle des lots
    if (montree := pv.get("liste_communiquee")) is not None:  # la liste montrée avec l'engagement
        exiger(type(montree) is dict, (ou := "« liste_communiquee » : ") + "ce n'est pas un objet")
        exiger(type(champ(montree, "n", ou, None)) is int and montree["n"] >= 0, ou + "« n » n'est pas un nombre entier positif ou nul")
        exiger(re.fullmatch("[0-9a-f]{64}", champ(montree, "liste_sha256", ou)), ou + "l'empreinte n'est pas faite de 64 chiffres hexadécimaux minuscules")
        communique = champ(pv, "engagement_communique", "")
    admises, avertis = montree and {montree["liste_sha256"]}, [] if montree is not None or not tirages else [  # cette liste et ce que les tirages en ont laissé
        "la liste n'a pas été communiquée avec l'engagement ; son ordre a pu être choisi après la valeur publique."]
    for r, tirage in enumerate(tirages, start=1):
        exiger(type(tirage) is dict, (ou := f"tirage n° {r} : ") + "ce n'est pas un objet")
        exiger(type(numero := champ(tirage, "numero", ou, None)) is int and numero == r,
               "les tirages ne sont pas numérotés 1, 2, … (%s« numero » %s)" % (ou, "vaut %d" % numero if type(numero) is int else "n'est pas un nombre entier"))
        date, liste = champ(tirage, "date", ou), champ(tirage, "entrees", ou, None)  # null : celles que le tirage précédent a laissées
        exiger(liste is not None or r > 1, ou + "« entrees » est null sans tirage précédent")
        exiger(type(liste) in (list, type(None)), ou + "« entrees » n'est ni une liste ni null")
        for e in (e for e in liste or [] if type(e) is not str or "\r" in e or "\n" in e):
            raise NonConforme(ou + ("une entrée contient un saut de ligne" if type(e) is str else "une entrée n'est pas un texte"))
        n = len(entrees := entrees if liste is None else liste)
        empreinte = empreinte_de(entrees)
        exiger(champ(tirage, "liste_sha256", ou) == empreinte, ou + "l'empreinte de la liste ne correspond pas à ses entrées")
        exiger((mode := champ(tirage, "mode", ou)) in ("nombre", "un", "tous", "equipes"), ou + f"mode {citer(mode)} inconnu")
        for nom, son_mode, bas in ("demande", "nombre", 0), ("equipe", "equipes", 1):  # l'une après l'autre
            v = champ(tirage, nom, ou, None)
            exiger(mode != son_mode or (type(v) is int and v >= bas),
                   ou + f"« {nom} » n'est pas un nombre entier positif{' ou nul' * (bas == 0)}")
            exiger(mode == son_mode or v is None, ou + f"« {nom} » n'a de valeur qu'en mode {son_mode}")
        personnes = len({personne(e) for e in entrees}) if regle else n  # sous la règle, chaque tirage ôte une personne
        prevus = min(tirage["demande"], personnes) if mode == "nombre" else min(1, n) if mode == "un" else personnes
        resultats, arret = champ(tirage, "resultats", ou, (list,), "n'est pas une liste"), champ(tirage, "interrompu", ou, (bool,), "n'est ni true ni false")
        exiger(len(resultats) < prevus if arret else len(resultats) == prevus,
               ou + f"{len(resultats)} résultats pour {prevus} tirages prévus{' (tirage interrompu)' * arret}")
        cle = hmac.new(graine, f"{protocole}\n{r}\n{empreinte}\n{publique}".encode(), hashlib.sha256).digest()
        entrees, tires = (tirer_par_personne if regle else tirer)(entrees, mots(cle), resultats, ou), tires + len(resultats)
        series.append((resultats, mode == "equipes", date))
        if admises is not None and date >= communique: admises.add(empreinte_de(entrees)) if empreinte in admises else avertis.append(ou + "liste modifiée après la communication de l'engagement")
    palmares = attribuer(pv, lire_lots(pv, avertis), series)
    return f"{len(tirages)} tirage{'s' * (len(tirages) > 1)} et {tires} élément{(t := 's' * (tires > 1))} tiré{t} vérifié{t}", avertis, palmares
def lire_lots(pv, avertis):  # hors du hasard : l'ordre des lots, fixé avec l'engagement
    exiger(type(lots := pv["lots"] if pv.get("lots") is not None else []) is list, "« lots » n'est pas une liste")
    for lot in (l for l in lots if type(l) is not str or "\r" in l or "\n" in l):
        raise NonConforme("« lots » : " + ("un lot contient un saut de ligne" if type(lot) is str else "un lot n'est pas un texte"))
    if (annonce := pv.get("lots_communiques")) is None:
        return avertis.extend(["les lots n'ont pas été communiqués avec l'engagement ; leur ordre a pu être choisi après le tirage."] * bool(lots)) or lots
    exiger(type(annonce) is dict, (ou := "« lots_communiques » : ") + "ce n'est pas un objet")
    exiger(type(champ(annonce, "n", ou, None)) is int and annonce["n"] >= 0, ou + "« n » n'est pas un nombre entier positif ou nul")
    exiger(re.fullmatch("[0-9a-f]{64}", champ(annonce, "lots_sha256", ou)), ou + "l'empreinte n'est pas faite de 64 chiffres hexadécimaux minuscules")
    return exiger(annonce["n"] == len(lots) and annonce["lots_sha256"] == empreinte_de(lots), "les lots ne correspondent pas à ceux communiqués avec l'engagement") or lots
def attribuer(pv, lots, series):  # qui gagne quoi ; series : les résultats, équipes ou non, et la date de chaque tirage
    exiger(type(absences := pv["absences"] if pv.get("absences") is not None else []) is list, "« absences » n'est pas une liste")
    for a, absence in enumerate(absences, start=1):
        exiger(type(absence) is dict, (ou := f"absence n° {a} : ") + "ce n'est pas un objet")
        for nom in "tirage", "rang", "motif", "apres_tirage", "date":
            if nom in ("motif", "date"): champ(absence, nom, ou)
            else: exiger(type(v := champ(absence, nom, ou, None)) is int and v >= 0, ou + f"« {nom} » n'est pas un nombre entier positif ou nul")
    if not lots and not absences: return []  # ni lots ni absences : pas de palmarès
    nommer = lambda absence: "(tirage n° %d, rang %d)" % (absence["tirage"], absence["rang"])
    avant, debuts = 0, list(itertools.accumulate((len(r) for r, _, _ in series), initial=0))
    for absence in absences:  # chaque absence nomme un résultat tiré avant elle, et ne précède pas la précédente
        t, k, apres, nom = absence["tirage"], absence["rang"], absence["apres_tirage"], nommer(absence)
        exiger(1 <= apres <= len(series), f"absence {nom} déclarée après le tirage n° {apres}, qui n'existe pas")
        exiger(apres >= avant, f"absence {nom} placée après une absence déclarée plus tard")
        exiger(1 <= t <= len(series) and 1 <= k <= len(series[t - 1][0]), f"absence d'un résultat inconnu {nom}")
        exiger(not series[t - 1][1], f"absence d'une équipe {nom} : les équipes n'ont pas de lot")
        avant = exiger(t <= apres, f"absence {nom} déclarée avant le tirage de son résultat") or apres
    # Chaque lot libre, le premier d'abord, va au premier résultat tiré sans lot ni absence ; sans lot libre, un résultat est suppléant.
    libres, gagnants, lot, qui, absents, suppleants, s = list(range(len(lots))), [None] * len(lots), [], [], set(), [], 0
    for r, (resultats, equipes, _) in enumerate(series, start=1):
        for _ in resultats:
            lot.append(heapq.heappop(libres) if libres and not equipes else None)
            if lot[-1] is not None: gagnants[lot[-1]] = len(lot) - 1
            elif not equipes: suppleants.append(len(lot) - 1)
        while len(qui) < len(absences) and (absence := absences[len(qui)])["apres_tirage"] == r:  # le lot d'un absent va au premier suppléant restant, ou attend
            exiger((i := debuts[absence["tirage"] - 1] + absence["rang"] - 1) not in absents, f"résultat {nommer(absence)} déjà déclaré absent")
            qui.append(i), absents.add(i)
            if (l := lot[i]) is None: continue
            while s < len(suppleants) and (lot[suppleants[s]] is not None or suppleants[s] in absents): s += 1
            if s < len(suppleants): lot[suppleants[s]], gagnants[l], s = l, suppleants[s], s + 1
            else: gagnants[l] = heapq.heappush(libres, l)  # None : le lot attend, libre, le prochain résultat tiré
    for absence in absences:
        exiger(absence["date"] >= series[absence["tirage"] - 1][2], f"absence {nommer(absence)} datée d'avant son tirage")
    noms, restants = [e for r, _, _ in series for e in r], [i for i in suppleants if lot[i] is None and i not in absents]
    return [f"Lot {p} : {montrer(l)} – " + (montrer(noms[g]) if (g := gagnants[p - 1]) is not None else "non attribué") for p, l in enumerate(lots, start=1)] + [
        f"Absence : {montrer(noms[i])} {nommer(a)} – {montrer(a['motif'])}" + (f", lot {lot[i] + 1} remis en jeu" if lot[i] is not None else "") for i, a in zip(qui, absences)] + [
        f"Suppléant n° {n} : {montrer(noms[i])}" for n, i in enumerate(restants[:100], start=1)] + [
        f"et {len(restants) - 100} autre{(p := 's' * (len(restants) > 101))} suppléant{p}"] * (len(restants) > 100)
if __name__ == "__main__":
    try:
        verdict, avertis, palmares = verifier(analyser(lire(sys.argv[1]))) if len(sys.argv) == 2 else sys.exit("usage : python3 verifier_pv.py FICHIER")
        print(("CONFORME AVEC RÉSERVES : " if avertis else "CONFORME : ") + verdict, *("ATTENTION : " + a for a in avertis), *["Palmarès :"] * bool(palmares), *palmares, sep="\n")
    except NonConforme as raison:
        sys.exit(print(f"NON CONFORME : {raison}") or 1)
