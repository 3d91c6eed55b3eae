#!/usr/bin/env python3
"""The dashboard in a real browser (Debian's headless Chromium through its driver).

    dashboard_test.py --zbserve FILE --work DIR --screenshots DIR

Sends the hits of three installations, one with a hostile application name, then logs in as
an operator does and reads the funnel; keeps screenshots of what it saw.
"""

import argparse
import os
import sys
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from serverharness import (PASSWORD, WOULD_HANG, Server, Store, setup_request,  # noqa: E402
                           wait_until)

from selenium import webdriver  # noqa: E402
from selenium.common.exceptions import WebDriverException  # noqa: E402
from selenium.webdriver.chrome.service import Service  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.support.wait import WebDriverWait  # noqa: E402

HOSTILE = "<img src=x onerror=alert(1)>"


def hits(client, site, gid, screens, language=None):
    bodies = []
    for screen in screens:
        for account in ("UA-1-1", "UA-2-1"):
            bodies.append(("v=1&tid=%s&cid=%s&an=%s&av=182, 5, 8,&t=screenview"
                           "&cd=InstallationWindow/%s&cd13=%s&cd12=%s"
                           % (account, client, site, screen, client, gid)).encode())
        if screen == "InstallStarted" and language:
            bodies.append(("v=1&tid=UA-1-1&cid=%s&an=%s&av=182, 5, 8,&t=event"
                           "&ec=Installation_Language_Change_51569&ea=%s&el=%s&cd13=%s&cd12=%s"
                           % (client, site, language, language, client, gid)).encode())
    return bodies


def browser():
    options = webdriver.ChromeOptions()
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1400,1700"):
        options.add_argument(argument)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def card(driver, label):
    for element in driver.find_elements(By.CSS_SELECTOR, ".card"):
        if element.find_element(By.CSS_SELECTOR, ".label").text.lower() == label.lower():
            return element.find_element(By.CSS_SELECTOR, ".value").text
    raise AssertionError("no card " + label)


def follow(driver, element):
    """Clicks a link or a form's button and waits for the page it leads to: a click returns
    before the browser has navigated. The new page is told by its own time origin; while the
    browser is between pages, asking it may fail, and it is asked again."""
    before = driver.execute_script("return performance.timeOrigin")
    element.click()

    def arrived(d):
        return d.execute_script("return document.readyState == 'complete' &&"
                                " performance.timeOrigin != arguments[0]", before)

    WebDriverWait(driver, WOULD_HANG, ignored_exceptions=(WebDriverException,)).until(arrived)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zbserve", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--screenshots", required=True)
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)
    os.makedirs(args.screenshots, exist_ok=True)
    store = Store("sqlite", args.work)
    try:
        with Server(args.zbserve, store) as server:
            bodies = (hits("aaa1", "Zembrico.FR", "spring", ["SufficientSpace", "TOS",
                                                            "InstallStarted", "InstallComplete"],
                           "German") +
                      hits("bbb2", "Zembrico.FR", "spring", ["InsufficientSpace"]) +
                      hits("ccc3", HOSTILE, "autumn", ["SufficientSpace", "InstallCancelled"]))
            with server.connect() as connection:
                connection.sendall(b"".join(setup_request(server.address, b) for b in bodies))
                check(wait_until(lambda: store.count("hits") == len(bodies)), "hits not stored")
            base = "http://" + server.address
            driver = browser()
            try:
                run(driver, base, args.screenshots)
            finally:
                driver.quit()
    finally:
        store.close()
    print("passed")


def log_in(driver, base, password=PASSWORD):
    """Opens the dashboard, which sends to the login page, and logs in there."""
    driver.get(base + "/dashboard")
    check(driver.current_url.endswith("/login"), "the dashboard without a login: " +
          driver.current_url)
    driver.find_element(By.NAME, "password").send_keys(password)
    follow(driver, driver.find_element(By.CSS_SELECTOR, "button[type=submit]"))


def run(driver, base, screenshots):
    log_in(driver, base, "wrong")
    check("not the password" in driver.find_element(By.CSS_SELECTOR, ".error").text,
          "no word about a wrong password")
    driver.find_element(By.NAME, "password").send_keys(PASSWORD)
    follow(driver, driver.find_element(By.CSS_SELECTOR, "button[type=submit]"))
    check(driver.current_url.endswith("/dashboard"), "not on the dashboard: " + driver.current_url)
    check(card(driver, "First screen") == "3", "first screen: " + card(driver, "First screen"))
    check(card(driver, "Licence opened") == "1", "licence")
    check(card(driver, "Installation started") == "1", "started")
    check(card(driver, "Installation complete") == "1", "complete")
    check(not driver.find_elements(By.CSS_SELECTOR, "main img"), "markup from a hit ran")
    options = [o.text for o in driver.find_elements(By.CSS_SELECTOR, "select[name=site] option")]
    check(HOSTILE in options, "the hostile name is not shown as text: %s" % options)
    driver.save_screenshot(os.path.join(screenshots, "dashboard.png"))
    # A filter chosen as a person does: the site, then Show.
    for option in driver.find_elements(By.CSS_SELECTOR, "select[name=site] option"):
        if option.text == "Zembrico.FR":
            option.click()
    follow(driver, driver.find_element(By.CSS_SELECTOR, ".filters button[type=submit]"))
    check(card(driver, "First screen") == "2", "first screen of one site")
    check("100.0 %" in driver.find_element(By.CSS_SELECTOR, ".card:nth-child(5) .rate").text,
          "the rate of completion")
    driver.save_screenshot(os.path.join(screenshots, "dashboard-site.png"))
    csv_link = driver.find_element(By.LINK_TEXT, "CSV").get_attribute("href")
    cookie = driver.get_cookie("zbserve_login")
    request = urllib.request.Request(csv_link, headers={
        "Cookie": "zbserve_login=" + cookie["value"]})
    csv = urllib.request.urlopen(request).read().decode()
    check(csv.splitlines()[-1].startswith("total,0,2,1,1,1,1,1,"), "CSV: " + csv)
    driver.get(base + "/dashboard/installations?by=client&value=ccc3")
    check("Cancelled" in driver.find_element(By.CSS_SELECTOR, "td.steps").text, "installations")
    follow(driver, driver.find_element(By.CSS_SELECTOR, "td a"))
    check(HOSTILE in driver.find_element(By.TAG_NAME, "main").text, "the hit's name")
    driver.save_screenshot(os.path.join(screenshots, "installation.png"))
    follow(driver, driver.find_element(By.CSS_SELECTOR, ".logout button"))
    driver.get(base + "/dashboard")
    check(driver.current_url.endswith("/login"), "still logged in after logging out")


if __name__ == "__main__":
    main()
