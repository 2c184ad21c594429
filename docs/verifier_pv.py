#!/usr/bin/env python3
"""Vérifie un procès-verbal de tirage Sortivo (protocole sortivo-preuve-1, décrit dans
preuve.md), sans Sortivo. Usage : python3 verifier_pv.py FICHIER. Bibliothèque standard seule."""
import hashlib, hmac, json, sys

class NonConforme(Exception):
    pass

def exiger(condition, raison):
    if not condition:
        raise NonConforme(raison)

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
    exiger(pv.get("protocole") == "sortivo-preuve-1", "protocole inconnu")
    graine, publique = pv.get("graine"), pv["valeur_publique"]
    exiger(isinstance(graine, str) and len(graine) == 64 and not graine.strip("0123456789abcdef"),
           "la graine n'est pas faite de 64 chiffres hexadécimaux minuscules")
    graine = bytes.fromhex(graine)
    exiger(pv.get("engagement") == hashlib.sha256(graine).hexdigest(),
           "la graine ne correspond pas à l'engagement")
    exiger(type(publique) is str, "la valeur publique n'est pas un texte")
    entrees, tires = None, 0
    for r, tirage in enumerate(pv["tirages"], start=1):
        ou, numero = f"tirage n° {r} : ", tirage["numero"]
        exiger(type(numero) is int and numero == r,
               f"les tirages ne sont pas numérotés 1, 2, … ({ou}« numero » vaut {numero})")
        if tirage["entrees"] is not None:  # sinon, celles que le tirage précédent a laissées
            entrees = tirage["entrees"]
        exiger(isinstance(entrees, list) and all(
            type(e) is str and "\r" not in e and "\n" not in e for e in entrees),
            ou + "entrées absentes ou illisibles")
        empreinte = hashlib.sha256("".join(e + "\r\n" for e in entrees).encode()).hexdigest()
        exiger(tirage["liste_sha256"] == empreinte,
               ou + "l'empreinte de la liste ne correspond pas à ses entrées")
        mode, demande, n = tirage["mode"], tirage["demande"], len(entrees)
        exiger(mode in ("nombre", "un", "tous", "equipes"), ou + f"mode « {mode} » inconnu")
        exiger(mode != "nombre" or (type(demande) is int and demande >= 0),
               ou + "« demande » n'est pas un nombre entier positif ou nul")
        prevus = min(demande, n) if mode == "nombre" else min(1, n) if mode == "un" else n
        resultats, arret = tirage["resultats"], tirage["interrompu"]
        exiger(type(resultats) is list and type(arret) is bool, ou + "résultats illisibles")
        exiger(len(resultats) < prevus if arret else len(resultats) == prevus,
               ou + f"{len(resultats)} résultats pour {prevus} tirages prévus")
        message = f"sortivo-preuve-1\n{r}\n{empreinte}\n{publique}".encode()
        flux = mots(hmac.new(graine, message, hashlib.sha256).digest())
        for k, resultat in enumerate(resultats, start=1):
            exiger(resultat == entrees.pop(position(flux, len(entrees))),
                   ou + f"le résultat n° {k} n'est pas celui que donne la graine")
        tires += len(resultats)
    return f"{len(pv['tirages'])} tirage(s) et {tires} élément(s) tiré(s) vérifiés"

if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage : python3 verifier_pv.py FICHIER")
    try:
        with open(sys.argv[1], "rb") as fichier:
            print("CONFORME : " + verifier(json.loads(fichier.read())))
    except OSError as erreur:
        sys.exit(f"{sys.argv[1]} : {erreur.strerror}")
    except NonConforme as raison:
        print(f"NON CONFORME : {raison}")
        sys.exit(1)
    except (ValueError, KeyError, TypeError, AttributeError) as erreur:
        print(f"NON CONFORME : procès-verbal illisible ({erreur!r})")
        sys.exit(1)
