#!/usr/bin/env python3
"""Writes scenarios/demo.json: a believable account (deterministic; rerun after changes).

Tomáš signs in; he has 40 friends who write in Czech, German and English,
likes a few pages, is in a group, is invited to events, and has a feed of
60 posts of every kind the client treats specially, with comments, likes,
notifications and a dozen message threads. Times are relative ("now-3600").
"""

import json
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "scenarios", "demo.json")

ME = "100000000000001"
HOUR = 3600

FRIENDS = [
    "Petra Nováková", "Jiří Dvořák", "Lucie Černá", "Martin Procházka", "Kateřina Veselá",
    "Ondřej Kučera", "Zuzana Horáková", "Tomáš Němec", "Veronika Marková", "Jakub Pokorný",
    "Markéta Růžičková", "Lukáš Hájek", "Barbora Šťastná", "Michal Křížek", "Tereza Benešová",
    "Radek Fiala", "Šárka Sedláčková", "Vojtěch Doležal", "Klára Zelenková", "Přemysl Vávra",
    "Jürgen Müller", "Anna Schröder", "Björn Weiß", "Lena Fischer", "Matthias Groß",
    "Sophie Köhler", "Felix Bäcker", "Marie-Luise Hoffmann", "Günther Schäfer", "Jörg Lehmann",
    "Emily Carter", "James O'Connor", "Olivia Bennett", "Daniel Hughes", "Charlotte Reid",
    "Zoë Williams", "Renée Dubois", "Michael Thompson", "Hannah Clarke", "José Martínez",
]
STRANGERS = ["Ivana Kopecká", "Dieter Schulz", "Grace Porter"]
CITIES = ["Praha", "Brno", "Ostrava", "Plzeň", "České Budějovice", "Olomouc", "Třebíč",
          "München", "Berlin", "Wien", "Köln", "London", "Manchester", "Dublin", None]
MONTHS = ["January", "February", "March", "April", "May", "June", "July", "August",
          "September", "October", "November", "December"]

STATUSES = [
    "Konečně pátek! Jdeme na pivo do Žižkova 🍺",
    "Dneska jsem uběhl 10 km za 52 minut, jsem spokojený.",
    "Hledám někoho, kdo by mi pohlídal kočku přes víkend. Díky!",
    "Zase prší… a já si zapomněl deštník.",
    "Pečeme vánoční cukroví, celá kuchyň voní vanilkou.",
    "Nová práce, nové výzvy. Držte mi palce!",
    "Kdo jde v sobotu na koncert do Lucerny?",
    "Vlak má zpoždění 40 minut. Klasika.",
    "Právě jsem dočetla Saturnina, doporučuji všem.",
    "Úžasný výhled z Ještědu, škoda že tu nejste se mnou.",
    "Endlich Wochenende! Ab in die Berge.",
    "Heute gibt's Käsespätzle – wer kommt vorbei?",
    "Der Zug nach München fällt schon wieder aus. Großartig.",
    "Frohe Ostern euch allen! 🐣",
    "Habe gerade meinen ersten Marathon geschafft. Unglaublich müde, aber glücklich.",
    "Weiß jemand, wo man in Köln gute Fahrräder reparieren lässt?",
    "Just finished my thesis. Time to sleep for a week.",
    "Coffee first, questions later.",
    "Anyone up for a pub quiz on Thursday?",
    "The garden is finally blooming – tulips everywhere!",
    "Can't believe it's already been ten years since school.",
    "New blog post about my trip to Český Krumlov: it's beautiful!",
    "Moving flat this weekend. Pizza for anyone who helps carry boxes.",
    "Ahoj všichni, jsem zpátky z Islandu! Fotky brzy.",
    "Úterý je nový pondělí.",
    "Grüße aus Wien! Die Sachertorte ist wirklich so gut wie alle sagen.",
    "Learning Czech: ř is the hardest sound in the world.",
    "Čtyři roky v Berlíně a pořád mi chybí knedlíky.",
]
COMMENTS = [
    "To je super!", "Gratuluju!", "Držím palce 👍", "Haha, to znám :)", "Jdu taky!",
    "Kdy se uvidíme?", "Krásné fotky!", "To snad není pravda…", "Přesně tak.",
    "Souhlasím na 100 %.", "Toll!", "Herzlichen Glückwunsch!", "Bin dabei!",
    "Wie schön!", "Ach du meine Güte.", "Viel Spaß!", "Great news!", "Count me in.",
    "Looks amazing!", "Congrats, well deserved.", "Ha, classic.", "Miss you guys!",
    "Where is that?", "Love it ❤", "Tak to je síla.", "Příště jedu s vámi.",
    "Das glaube ich dir sofort.", "So true.", "Nádhera!", "Wow, čtyřicet minut? Hrůza."
]
LINKS = [
    ("Jak správně upéct chleba doma", "Podrobný návod pro začátečníky: kvásek, mouka, trpělivost.",
     "http://recepty.example.cz/chleba"),
    ("Die 10 schönsten Wanderwege in Bayern", "Von der Zugspitze bis zum Königssee.",
     "http://wandern.example.de/bayern"),
    ("Why cities should plant more trees", "Shade, cleaner air and happier people.",
     "http://news.example.co.uk/trees"),
    ("Předpověď počasí na víkend", "Slunečno, teploty až 24 °C.",
     "http://pocasi.example.cz/vikend"),
    ("Rezept: Apfelstrudel wie bei Oma", "Mit Zimt, Rosinen und viel Liebe.",
     "http://kochen.example.at/strudel"),
    ("Ten board games to play this winter", "From quick card games to epic campaigns.",
     "http://games.example.com/winter"),
    ("Nové cyklostezky v Brně", "Město otevřelo dalších 12 km stezek.",
     "http://brno.example.cz/cyklo"),
    ("Konzert: Tschechische Philharmonie in Dresden", "Karten ab 25 €.",
     "http://musik.example.de/dresden"),
]
ALBUMS = ["Dovolená na Šumavě", "Silvester 2010", "Hochzeit von Anna & Björn",
          "Road trip: Scotland", "Zahrada", None]
QUESTIONS = ["Kam na dovolenou v září?", "Welcher Film ist der beste des Jahres?",
             "Best pizza place in Prague?", "Pivo nebo víno?"]
APP_STORIES = ["Petra získala odznak Mistr kvízů", "Jürgen hat ein neues Level erreicht",
               "Emily planted a rainbow tulip on her farm", "Lukáš sdílel výsledky testu"]
MESSAGES = [
    "Ahoj, máš zítra čas na oběd?", "Jasně, ve 12 u Václava?", "Platí, uvidíme se tam.",
    "Posílám ti ty fotky z výletu.", "Díky moc! Jsou krásné.",
    "Hallo! Wie geht's dir?", "Gut, danke! Und dir?", "Kommst du am Samstag?",
    "Hey, did you get my email?", "Yes, will reply tonight.", "Great, thanks!",
    "Nezapomeň na tu knížku, co jsi slíbil.", "Promiň, příště ji určitě přinesu.",
    "Schau mal hier: www.beispiel.example.de/wanderung",
    "Check this out http://www.example.com/video/42 – so funny",
    "Všechno nejlepší k narozeninám! 🎂", "Děkuju!! 😊",
    "Bist du heute Abend online?", "Can you send me the address?", "Ok, už jedu.",
]
NOTIFICATION_TEXTS = [
    ("{0} okomentoval(a) váš status.", "comment"),
    ("{0} se líbí váš příspěvek.", "like"),
    ("{0} napsal(a) na vaši zeď.", "wall"),
    ("{0} vás označil(a) na fotografii.", "photo"),
    ("{0} hat deinen Link kommentiert.", "comment"),
    ("{0} likes your photo.", "like"),
    ("{0} invited you to the event „Sraz po deseti letech“.", "event"),
    ("{0} also commented on Petra Nováková's status.", "comment"),
]


def rel(seconds_ago):
    return "now-%d" % seconds_ago if seconds_ago else "now"


def main():
    rnd = random.Random(20110311)
    users, friends = [], []
    people = [(ME, "Tomáš Procházka", 47)]
    for i, name in enumerate(FRIENDS):
        people.append((str(100000000000101 + i), name, i))
    for i, name in enumerate(STRANGERS):
        people.append((str(100000000000201 + i), name, 40 + i))
    friend_ids = [uid for uid, _n, _p in people[1:1 + len(FRIENDS)]]
    stranger_ids = [uid for uid, _n, _p in people[1 + len(FRIENDS):]]
    name_of = {uid: name for uid, name, _p in people}

    status_rows = []
    status_of = {}
    for k, (uid, name, pic) in enumerate(people):
        ago = rnd.randint(60, 30 * HOUR) if k % 5 else rnd.randint(2 * 24 * HOUR, 9 * 24 * HOUR)
        user = {
            "uid": uid, "name": name, "first_name": name.split()[0],
            "last_name": name.split()[-1],
            "profile_url": "/profile.php?id=%s" % uid,
            "pic_square": "avatar_%02d_s.png" % pic, "pic": "avatar_%02d.png" % pic,
            "pic_small": "avatar_%02d_s.png" % pic,
            "online_presence": [None, "active", "idle", "offline", "active"][k % 5],
            "profile_update_time": rel(rnd.randint(10 * 60, 20 * HOUR) if k % 3 else
                                       rnd.randint(3 * 24 * HOUR, 40 * 24 * HOUR)),
        }
        city = CITIES[k % len(CITIES)]
        if city:
            user["current_location"] = {"city": city, "country": "Czech Republic"
                                        if k < 21 or k > 43 else "Germany"}
        if k % 4 != 3:
            user["birthday"] = "%s %d" % (MONTHS[k % 12], 1 + (k * 7) % 28) + \
                               (", %d" % (1975 + k % 20) if k % 2 else "")
        if k % 6 != 5:
            status_id = 1500000000 + k * 17
            message = STATUSES[k % len(STATUSES)]
            status_time = rel(ago)
            user["status"] = {"message": message, "time": status_time,
                              "status_id": status_id}
            status_rows.append({"uid": uid, "status_id": status_id, "message": message,
                                "source": 0, "time": status_time})
            status_of[uid] = (status_id, message, ago)
            # an older status of the same person, as the service keeps history
            status_rows.append({"uid": uid, "status_id": status_id - 5,
                                "message": STATUSES[(k + 7) % len(STATUSES)],
                                "source": 0, "time": rel(ago + rnd.randint(HOUR, 3 * HOUR))})
        users.append(user)
    for uid in friend_ids:
        friends.append({"uid1": ME, "uid2": uid})
    for a, b in ((0, 1), (0, 2), (1, 3), (20, 21), (30, 31), (5, 25)):
        friends.append({"uid1": friend_ids[a], "uid2": friend_ids[b]})
    friends.append({"uid1": stranger_ids[0], "uid2": friend_ids[0]})

    pages = [("200000000000001", "Kavárna U Zlatého klíče", "cafe"),
             ("200000000000002", "Bergsteigerverein Zugspitze", "club"),
             ("200000000000003", "Open Source Brno", "community"),
             ("200000000000004", "Rádio Žižkov", "radio"),
             ("200000000000005", "Café Schönbrunn Freunde", "cafe")]
    page_rows, fans = [], []
    for i, (pid, name, kind) in enumerate(pages):
        slug = "".join(ch for ch in name.encode("ascii", "ignore").decode() if ch.isalnum() or
                       ch == " ").strip().replace(" ", "-")
        page_rows.append({"page_id": pid, "name": name, "type": kind,
                          "pic_square": "page_%02d_s.png" % i, "pic": "page_%02d.png" % i,
                          "pic_small": "page_%02d_s.png" % i,
                          "page_url": "/pages/%s/%s" % (slug, pid), "fan_count": 120 + 37 * i})
        if i < 4:
            fans.append({"uid": ME, "page_id": pid, "type": kind})
        status_id = 1600000000 + i
        status_rows.append({"uid": pid, "status_id": status_id,
                            "message": ["Dnes máme nový dort: jahodový se šlehačkou!",
                                        "Tourenbericht vom Samstag ist online.",
                                        "Příští sraz: čtvrtek 18:00, téma Python.",
                                        "Právě hrajeme: Plastic People of the Universe",
                                        "Wir haben ab heute auch sonntags geöffnet."][i],
                            "source": 0, "time": rel(rnd.randint(HOUR, 10 * HOUR))})
        status_of[pid] = (status_id, status_rows[-1]["message"], None)

    group = {"gid": "300000000000001", "name": "Absolventi gymnázia Třebíč 2001",
             "pic_small": "group_00.png", "pic": "group_00.png",
             "description": "Spolužáci z let 1997–2001", "creator": friend_ids[0],
             "update_time": rel(5 * HOUR)}
    events = [{"eid": "400000000000001", "name": "Sraz po deseti letech",
               "pic_small": "event_00.png", "pic": "event_00.png",
               "location": "Hospoda Na Růžku, Třebíč", "host": name_of[friend_ids[0]],
               "creator": friend_ids[0], "start_time": "now+1209600",
               "end_time": "now+1224000", "update_time": rel(6 * HOUR)},
              {"eid": "400000000000002", "name": "Grillfest am Wochenende",
               "pic_small": "event_01.png", "pic": "event_01.png",
               "location": "Englischer Garten, München", "host": name_of[friend_ids[20]],
               "creator": friend_ids[20], "start_time": "now+345600",
               "end_time": "now+360000", "update_time": rel(9 * HOUR)}]

    # ----- the stream -----
    stream, comments, likes = [], [], []
    kinds = ([46] * 18 + [56] * 6 + [80] * 8 + [237] * 4 + [247] * 6 + [280] * 4
             + [373] * 4 + [128] * 3 + [66] * 2 + ["page"] * 3 + ["group", "event"])
    assert len(kinds) == 60
    photos = ["photo_320x240.png", "photo_200x150.png", "photo_130x90.png", "photo_90x120.png",
              "photo_128x128.png", "photo_600x120.png", "photo_100x75.png", "photo_40x40.png",
              "photo_39x60.png"]
    used_status = set()
    counters = {"post": 0, "comment": 0}

    def make_comments(post_id, created_ago, n):
        rows = []
        for c in range(n):
            who = rnd.choice(friend_ids + stranger_ids + [ME])
            ago = max(30, created_ago - rnd.randint(60, max(61, created_ago // 2)))
            counters["comment"] += 1
            rows.append({"id": "%s_%d" % (post_id, 700 + counters["comment"]),
                         "post_id": post_id, "fromid": who,
                         "text": COMMENTS[(counters["comment"] * 7) % len(COMMENTS)],
                         "time": rel(ago), "likes": rnd.choice([0, 0, 0, 1, 2, 5]),
                         "user_likes": False, "can_remove": who == ME})
        rows.sort(key=lambda r: -int(r["time"][4:]) if r["time"] != "now" else 0)
        return rows

    for n, kind in enumerate(kinds):
        counters["post"] += 1
        author = friend_ids[(n * 7) % len(friend_ids)]
        created_ago = rnd.randint(5 * 60, 11 * HOUR) if n % 10 != 9 else \
            rnd.randint(14 * HOUR, 3 * 24 * HOUR)
        post = {"viewer_id": ME, "actor_id": author, "source_id": author,
                "created_time": rel(created_ago), "app_id": None}
        story = 1800000000 + n * 13
        message = None
        attachment = {}
        ptype = kind
        if kind == 46:
            # status updates carry the status id, so the client can tie them together
            if author in status_of and author not in used_status \
                    and status_of[author][2] is not None and status_of[author][2] < 11 * HOUR:
                used_status.add(author)
                story, message, created_ago = status_of[author]
                post["created_time"] = rel(created_ago)
            else:
                message = STATUSES[(n * 5) % len(STATUSES)]
        elif kind == 56:
            target = friend_ids[(n * 11 + 3) % len(friend_ids)]
            if n % 3 == 0:
                target = ME
            post["source_id"] = target
            post["target_id"] = target
            message = ["Všechno nejlepší k narozeninám! 🎉", "Alles Gute zum Geburtstag!",
                       "Happy birthday, mate!", "Díky za včerejšek, bylo to skvělé.",
                       "Vergiss nicht, mir das Buch zurückzugeben :)",
                       "See you at the weekend!"][n % 6]
        elif kind == 80:
            title, desc, url = LINKS[n % len(LINKS)]
            pic = photos[n % 7]
            attachment = {"name": title, "href": "/l.php?u=" + url.replace(":", "%3A")
                          .replace("/", "%2F"), "caption": url.split("/")[2],
                          "description": desc,
                          "media": [{"type": "link", "href": "/l.php?u=" + url.replace(
                              ":", "%3A").replace("/", "%2F"), "src": pic}]}
            post["app_id"] = 2309869772
            message = ["Tohle si musíte přečíst.", None, "Sehr interessant!", None][n % 4]
        elif kind == 237:
            name = APP_STORIES[n % len(APP_STORIES)]
            attachment = {"name": name, "href": "/apps/application.php?id=%d" % (n + 1000),
                          "description": "", "media": []}
            post["app_id"] = 102452128776 + n
            message = None if n % 2 else "Zkus to taky!"
        elif kind == 247:
            album = ALBUMS[n % len(ALBUMS)]
            count = 1 + n % 4
            media = []
            firsts = ["photo_320x240.png", "photo_39x60.png", "photo_40x40.png",
                      "photo_600x120.png", "photo_90x120.png", "photo_130x90.png"]
            for m in range(count):
                src = firsts[n % 6] if m == 0 else photos[(n + m) % len(photos)]
                media.append({"type": "photo", "href": "/photo.php?fbid=%d&id=%s" %
                              (story * 10 + m, author), "src": src})
            attachment = {"href": "/album.php?aid=%d&id=%s" % (story, author),
                          "description": "%d nových fotek" % count, "media": media}
            if album:
                attachment["name"] = album
            post["app_id"] = 2305272732
        elif kind == 280:
            attachment = {"name": QUESTIONS[n % len(QUESTIONS)],
                          "href": "/questions.php?id=%d" % story, "media": []}
            post["app_id"] = 10150110253435258
        elif kind == 373:
            pic = "avatar_%02d.png" % (friend_ids.index(author) % 40)
            attachment = {"href": "/photo.php?fbid=%d&id=%s" % (story, author),
                          "media": [{"type": "photo", "href": "/photo.php?fbid=%d" % story,
                                     "src": pic}]}
            post["app_id"] = 2305272732
        elif kind == 128:
            attachment = {"name": ["Kočka vs. okurka", "Schneeballschlacht im Büro",
                                   "Sunset timelapse over the Vltava"][n % 3],
                          "href": "/video/video.php?v=%d" % story,
                          "description": "Video", "media": [{"type": "video",
                                                             "href": "/video/video.php?v=%d"
                                                             % story,
                                                             "src": "photo_200x150.png"}]}
            message = ["😂😂😂", None, "Wunderschön."][n % 3]
        elif kind == 66:
            attachment = {"name": ["Poznámky z cesty po Moravě", "Meine Top 5 Bücher"][n % 2],
                          "href": "/note.php?note_id=%d" % story,
                          "description": "Dlouhý text o tom, jak jsme jeli…", "media": []}
        elif kind == "page":
            i = n % 4
            pid = pages[i][0]
            ptype = 46
            post.update({"actor_id": pid, "source_id": pid})
            story, message, _ = status_of[pid]
        elif kind == "group":
            ptype = 308
            post.update({"source_id": group["gid"], "target_id": group["gid"]})
            message = "Ahoj všichni, sraz bude 15. října. Kdo přijde?"
        elif kind == "event":
            ptype = 0
            post.update({"actor_id": friend_ids[20], "source_id": events[1]["eid"],
                         "target_id": events[1]["eid"]})
            message = "Bringt bitte eure eigenen Würstchen mit!"
        source = post["source_id"]
        post_id = "%s_%d" % (source, story)
        n_comments = [0, 0, 1, 2, 3, 5, 0, 1, 4, 2][n % 10]
        comment_rows = make_comments(post_id, created_ago, n_comments)
        likers = rnd.sample(friend_ids + stranger_ids, [0, 1, 3, 0, 2, 7, 1, 0, 4, 12][n % 10])
        if n % 7 == 2:
            likers.append(ME)
        last = min([created_ago] + [int(c["time"][4:]) for c in comment_rows])
        post.update({
            "post_id": post_id, "type": ptype, "attachment": attachment,
            "permalink": "/permalink.php?story_fbid=%d&id=%s" % (story, source),
            "updated_time": rel(last),
            "comments": {"count": len(comment_rows), "can_post": True, "can_remove": False},
            "likes": {"count": len(likers), "user_likes": ME in likers,
                      "can_like": ptype != 373, "href": "/browse/?type=likes&id=%d" % story},
        })
        if message is not None:
            post["message"] = message
        if post.get("target_id") is None:
            post.pop("target_id", None)
        if post["app_id"] is None:
            post.pop("app_id")
        stream.append(post)
        comments.extend(comment_rows)
        likes.extend({"post_id": post_id, "user_id": uid} for uid in likers)

    # ----- notifications -----
    notifications = []
    for i in range(15):
        sender = friend_ids[(i * 3 + 1) % len(friend_ids)]
        text, kind = NOTIFICATION_TEXTS[i % len(NOTIFICATION_TEXTS)]
        post = stream[(i * 4) % len(stream)]
        created = rnd.randint(120, 30 * HOUR)
        updated = max(60, created - rnd.randint(0, 3600)) if i % 3 == 0 else created
        href = {"event": "/event.php?eid=%s" % events[0]["eid"],
                "photo": "/photo.php?fbid=%d" % (9100 + i)}.get(kind, post["permalink"])
        notifications.append({
            "notification_id": str(9400000000 + i * 31), "sender_id": sender,
            "recipient_id": ME, "created_time": rel(created), "updated_time": rel(updated),
            "title_text": text.format(name_of[sender]),
            "title_html": "<a href=\"/profile.php?id=%s\">%s</a>%s" % (
                sender, name_of[sender], text.format("")),
            "body_text": COMMENTS[i % len(COMMENTS)] if kind == "comment" else None,
            "href": href, "app_id": 19675640871, "is_unread": 1 if i < 8 else 0})
    for row in notifications:
        if row["body_text"] is None:
            del row["body_text"]

    # ----- messages -----
    threads, messages = [], []
    for t in range(12):
        other = friend_ids[(t * 5 + 2) % len(friend_ids)]
        recipients = [ME, other]
        if t == 4:
            recipients.append(friend_ids[21])
        if t == 9:
            recipients = [ME]          # a note to himself
        thread_id = str(1100000000000 + t * 977)
        count = 2 + t % 5
        start = rnd.randint(HOUR, 10 * HOUR) if t < 9 else rnd.randint(2 * 24 * HOUR,
                                                                        5 * 24 * HOUR)
        rows = []
        for m in range(count):
            back = count - 1 - m          # 0 for the newest message
            if len(recipients) == 1:
                author = ME
            elif len(recipients) == 3:
                author = ME if back % 3 == 2 else recipients[1 + back % 2]
            else:
                author = other if back % 2 == (1 if t in (5, 8) else 0) else ME
            ago = max(30, start - m * rnd.randint(300, 1800))
            body = MESSAGES[(t * 3 + m) % len(MESSAGES)]
            row = {"message_id": "%s_%d" % (thread_id, m + 1), "thread_id": thread_id,
                   "author_id": author, "body": body, "created_time": rel(ago)}
            if t == 2 and m == count - 1:
                row["body"] = ""
                row["attachment"] = {"name": "trasa.gpx", "description": "Trasa na sobotu (GPX)",
                                     "href": "/attachments/trasa.gpx"}
            rows.append(row)
        last = rows[-1]
        unread = 0 if t in (3, 7) or last["author_id"] == ME else min(count, 1 + t % 3)
        threads.append({
            "thread_id": thread_id, "folder_id": 1 if t == 10 else 0,
            "subject": ["", "Oběd", "", "Fotky", "Grillfest", "", "Re: Buch", "", "",
                        "", "Rechnung", ""][t],
            "recipients": recipients, "updated_time": last["created_time"],
            "parent_message_id": "", "parent_thread_id": "0", "message_count": count,
            "snippet": last["body"] or last.get("attachment", {}).get("description", ""),
            "snippet_author": last["author_id"], "unread": unread, "viewer_id": ME})
        messages.extend(rows)

    scenario = {
        "me": ME, "token": "DEMO-TOKEN", "signin": "approved",
        "published_version": 30, "update_exe": "valid",
        "user": users, "friend": friends, "page": page_rows, "page_fan": fans,
        "group": [group], "event": events, "status": status_rows, "stream": stream,
        "comment": comments, "like": likes, "notification": notifications,
        "thread": threads, "message": messages,
    }
    os.makedirs(os.path.dirname(OUT), exist_ok=True)
    with open(OUT, "w", encoding="utf-8") as f:
        json.dump(scenario, f, ensure_ascii=False, indent=1)
        f.write("\n")


if __name__ == "__main__":
    main()
