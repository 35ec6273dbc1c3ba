// The display wall: what the under-monitor displays show, drawn from the
// "displays" section of the state document alone (see displays_view.h), so it
// rides on whatever brings that section. One tile per source: its number and
// its name, lit as bright as the displays are; the live set's title above.
'use strict';

// `section`: the state's "displays" (null when the profile has none);
// `wall`: the element the wall is drawn into. Only what changed is redrawn.
function drawDisplayWall(section, wall) {
  if (!section) {
    wall.replaceChildren(Object.assign(document.createElement('p'), { textContent: 'this profile declares no displays' }));
    wall.dataset.drawn = '';
    return;
  }
  let heading = wall.querySelector('.wall-heading');
  let tiles = wall.querySelector('.wall-tiles');
  if (!tiles || tiles.childElementCount !== section.names.length) {
    heading = document.createElement('h2');
    heading.className = 'wall-heading';
    tiles = document.createElement('div');
    tiles.className = 'wall-tiles';
    section.names.forEach((_, i) => {
      const tile = document.createElement('div');
      tile.className = 'tile';
      tile.dataset.source = String(i + 1);
      const number = document.createElement('span');
      number.className = 'source';
      number.textContent = String(i + 1);
      const name = document.createElement('span');
      name.className = 'name';
      tile.append(number, name);
      tiles.appendChild(tile);
    });
    wall.replaceChildren(heading, tiles);
  }
  heading.textContent = 'Name set ' + section.set + ': ' + section.title + ' · brightness ' +
    (section.brightness > 0 ? section.brightness + ' (' + section.brightnessName + ')' : 'none reported');
  // The brightness as the tiles' intensity: the top level full, the lowest dim; none reported is full.
  const levels = Math.max(section.levels, 1);
  const level = section.brightness > 0 ? section.brightness : levels;
  tiles.style.setProperty('--intensity', String(0.35 + 0.65 * (level - 1) / Math.max(levels - 1, 1)));
  tiles.dataset.brightness = String(section.brightness);
  wall.dataset.set = String(section.set);
  section.names.forEach((text, i) => {
    const name = tiles.children[i].lastElementChild;
    if (name.textContent !== text) name.textContent = text;
  });
  wall.dataset.drawn = 'yes';
}
