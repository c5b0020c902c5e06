// Drives headless Firefox ESR for the web tests, over WebDriver BiDi: one
// JSON command, {op, args}, per line on standard input, one JSON answer per
// line on standard output. Usage: node web_firefox.js PROFILE-FOLDER [headed]
const puppeteer = require('puppeteer-core');
const readline = require('readline');

(async () => {
  const browser = await puppeteer.launch({
    browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: !process.argv[3],
    protocol: 'webDriverBiDi', userDataDir: process.argv[2]});
  const page = (await browser.pages())[0] || await browser.newPage();
  const logged = [];
  page.on('console', (m) => { if (!['log', 'info', 'debug'].includes(m.type())) logged.push(`${m.type()}: ${m.text()}`); });
  page.on('pageerror', (e) => logged.push(`error: ${e}`));
  const commands = {
    open: (url) => page.goto(url),
    // The script is a function's body, as in WebDriver's Execute Script.
    js: (script, ...args) => page.evaluate(`(function () { ${script} }).apply(null, ${JSON.stringify(args)})`),
    // Types the text, then presses the key, if any (Enter or Escape).
    type: async (text, key) => { await page.keyboard.type(text); if (key) await page.keyboard.press(key); },
    click: (id) => page.click(`#${id}`),
    // A paste as a person makes it: the clipboard, then Ctrl+V.
    paste: async (text) => {
      await page.evaluate((t) => navigator.clipboard.writeText(t), text);
      await page.keyboard.down('Control');
      await page.keyboard.press('KeyV');
      await page.keyboard.up('Control');
    },
    console: () => logged.splice(0),
  };
  for await (const line of readline.createInterface({input: process.stdin})) {
    const command = JSON.parse(line);
    let answer;
    try {
      const value = await commands[command.op](...command.args);
      answer = {value: command.op === 'open' ? null : value ?? null};
    } catch (e) {
      answer = {error: String(e)};
    }
    process.stdout.write(JSON.stringify(answer) + '\n');
  }
  await browser.close();
})();
