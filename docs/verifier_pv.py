#!/usr/bin/env python3
"""Vérifie un procès-verbal de tirage Sortivo (protocole sortivo-preuve-1), sans Sortivo.
Usage : python3 verifier_pv.py FICHIER ; bibliothèque standard de Python seulement."""
import hashlib, hmac, json, sys


class NonConforme(Exception): pass


def mots(cle):
    """Les mots de 32 bits d'un tirage : blocs SHA-256(K || j sur 8 octets gros-boutiste)."""
    j = 0
    while True:
        bloc = hashlib.sha256(cle + j.to_bytes(8, "big")).digest()
        for i in range(0, 32, 4):
            yield int.from_bytes(bloc[i:i + 4], "big")
        j += 1


def position(flux, n):
    """Une position uniforme dans [0, n) : multiplier, et rejeter les rares mots biaisés."""
    m = next(flux) * n
    if m % 2**32 < n:
        t = (2**32 - n) % n
        while m % 2**32 < t:
            m = next(flux) * n
    return m >> 32


def verifier(pv):
    if pv.get("protocole") != "sortivo-preuve-1":
        raise NonConforme("protocole inconnu")
    graine = pv.get("graine")
    if not isinstance(graine, str) or len(graine) != 64 or graine.strip("0123456789abcdef"):
        raise NonConforme("la graine n'est pas faite de 64 chiffres hexadécimaux minuscules")
    graine = bytes.fromhex(graine)
    if pv.get("engagement") != hashlib.sha256(graine).hexdigest():
        raise NonConforme("la graine ne correspond pas à l'engagement")
    publique, entrees, tires = pv["valeur_publique"], None, 0
    if type(publique) is not str:
        raise NonConforme("la valeur publique n'est pas un texte")
    for r, tirage in enumerate(pv["tirages"], start=1):
        ou = f"tirage n° {r} : "
        if type(tirage["numero"]) is not int or tirage["numero"] != r:
            raise NonConforme(f"les tirages ne sont pas numérotés 1, 2, … ({ou}{tirage['numero']})")
        if tirage["entrees"] is not None:
            entrees = tirage["entrees"]  # sinon, celles que le tirage précédent a laissées
        if not isinstance(entrees, list) or any(type(e) is not str or "\r" in e or "\n" in e for e in entrees):
            raise NonConforme(ou + "entrées absentes ou illisibles")
        empreinte = hashlib.sha256("".join(e + "\r\n" for e in entrees).encode()).hexdigest()
        if tirage["liste_sha256"] != empreinte:
            raise NonConforme(ou + "l'empreinte de la liste ne correspond pas à ses entrées")
        mode, n = tirage["mode"], len(entrees)
        if mode == "nombre" and (type(tirage["demande"]) is not int or tirage["demande"] < 0):
            raise NonConforme(ou + "« demande » n'est pas un nombre entier positif ou nul")
        prevus = {"un": min(1, n), "tous": n, "equipes": n}.get(mode)
        prevus = min(tirage["demande"], n) if mode == "nombre" else prevus
        if prevus is None:
            raise NonConforme(ou + f"mode « {mode} » inconnu")
        resultats, stop = tirage["resultats"], tirage["interrompu"]
        if not isinstance(resultats, list) or type(stop) is not bool or \
                (len(resultats) >= prevus if stop else len(resultats) != prevus):
            raise NonConforme(ou + f"{len(resultats)} résultats pour {prevus} tirages prévus")
        message = f"sortivo-preuve-1\n{r}\n{empreinte}\n{publique}".encode()
        flux = mots(hmac.new(graine, message, hashlib.sha256).digest())
        for k, resultat in enumerate(resultats, start=1):
            attendu = entrees.pop(position(flux, len(entrees)))
            if resultat != attendu:
                raise NonConforme(ou + f"le résultat n° {k} n'est pas celui que donne la graine")
        tires += len(resultats)
    return f"{len(pv['tirages'])} tirage(s) et {tires} élément(s) tiré(s) vérifiés"


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage : python3 verifier_pv.py FICHIER")
    try:
        with open(sys.argv[1], "rb") as fichier:
            print("CONFORME : " + verifier(json.loads(fichier.read())))
    except NonConforme as raison:
        print(f"NON CONFORME : {raison}")
        sys.exit(1)
    except (ValueError, KeyError, TypeError, AttributeError, IndexError) as erreur:
        print(f"NON CONFORME : procès-verbal illisible ({erreur!r})")
        sys.exit(1)
